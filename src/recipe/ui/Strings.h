// The program's texts: the string table (101 to 113) and the literal messages. Every message box
// and caption of the editor and its dialogs takes its text from here.
#pragma once

#include <QString>

namespace kr::str {

// String table.
inline const QString kAboutRecipe = QStringLiteral("&About Recipe..."); // 101
inline const QString kOverwriteItem = QStringLiteral("This item data was loaded from the database.  Are you "
                                                     "sure you want to overwrite the information?"); // 102
inline const QString kAddCustomItem = QStringLiteral(
    "The item was not found. \n\nWould you like to add this item as a custom ingredient?"); // 103
inline const QString kCreateCategory =
    QStringLiteral("Category %1 was not found.  Do you want to create it?");                     // 104
inline const QString kFoundItems = QStringLiteral("Found %1 items matching %2.");                // 105
inline const QString kSelectValidCustomer = QStringLiteral("You must select a valid customer."); // 106
inline const QString kSaveModified =
    QStringLiteral("The current recipe has been modified, but not saved. \nAll changes will be lost if you "
                   "do not save it.\n Do you want to save it now?");                  // 107
inline const QString kRecipeSaved = QStringLiteral("Recipe has been saved.");         // 108
inline const QString kNoItems = QStringLiteral("No items on recipe.  Save aborted."); // 109
inline const QString kSaveBeforeCopy =
    QStringLiteral("This recipe has been modified.  You must save it before it can be coppied. \n\nDo you "
                   "want to save it now?"); // 110
inline const QString kConfirmCopy =
    QStringLiteral("Are you sure you want to copy recipe %1 to customer %2?"); // 111
inline const QString kSaveBeforePrint =
    QStringLiteral("This recipe has been modified.  You must save it before it can be printed.\n\nDo you "
                   "want to save it now?"); // 112
inline const QString kConfirmDeleteLine =
    QStringLiteral("Are you sure you want to delete item %1, %2 from this recipe?"); // 113

// Literal messages.
inline const QString kErrorSaving = QStringLiteral("ERROR SAVING RECIPE");
inline const QString kItemNumberRequired = QStringLiteral("Item Number Is Required");
inline const QString kExportOpenFailed = QStringLiteral("Export File Open Failed");
inline const QString kExported = QStringLiteral("Exported %1 recipe lines to %2.");
inline const QString kExportFailed =
    QStringLiteral("Export to %1 failed with error code %2 after %3 records.");
inline const QString kNotYetImplemented = QStringLiteral("Not Yet Implemented");
inline const QString kNoCustomerSelected = QStringLiteral("No Customer Selected");
inline const QString kNewRecipe = QStringLiteral("NEW RECIPE");
inline const QString kDeleteMenu = QStringLiteral("Delete menu %1 - %2");
inline const QString kSelectItemTitle =
    QStringLiteral("Select Item or press close button to create custom item.        Close button over here "
                   "--------------->");

inline const QString kRecipeCopyDescription = QStringLiteral("%1 from customer %2");
inline const QString kExportDefaultName = QStringLiteral("Recipe.txt");
inline const QString kExportFilterText = QStringLiteral("Text Files (*.txt)");
inline const QString kExportFilterAll = QStringLiteral("All Files (*.*)");

// Captions.
inline const QString kRecipeCaption = QStringLiteral("Recipe");
inline const QString kAddIngredient = QStringLiteral("Add Ingredient");
inline const QString kDeleteIngredient = QStringLiteral("Delete Ingredient");
inline const QString kItemInfo = QStringLiteral("Item Info");
inline const QString kSaveRecipe = QStringLiteral("Save Recipe");
inline const QString kCopyTo = QStringLiteral("Copy To ...");
inline const QString kPrint = QStringLiteral("Print");
inline const QString kNewRecipeButton = QStringLiteral("New Recipe");
inline const QString kExportTo = QStringLiteral("Export To ...");
inline const QString kConversionChart = QStringLiteral("Conversion Chart");
inline const QString kQuit = QStringLiteral("Quit");
inline const QString kNewCustomer = QStringLiteral("New Customer");

// Messages of the checks this editor adds: text the record files cannot hold, numbers out of
// range, record files that cannot be read.
inline const QString kTextNotStorable =
    QStringLiteral("The text contains characters that cannot be stored.  Only Western European "
                   "(Windows-1252) characters can be used.");
inline const QString kInvalidNumber =
    QStringLiteral("%1 is not a valid value for %2.  The previous value is kept.");
inline const QString kItemNumberTooLong = QStringLiteral("An item number holds at most 12 characters.");
inline const QString kFileUnreadable = QStringLiteral("The file %1 could not be read.");

inline const QString kItemFilesUnreadable =
    QStringLiteral("The item files could not be read: item data and prices may be incomplete.");
inline const QString kSearchUnreadable =
    QStringLiteral("The item search could not read its files: not every matching item may be listed.");

} // namespace kr::str
