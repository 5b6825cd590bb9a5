// Writes a saved recipe to a tab-separated text file: a header line and one line per ingredient,
// costed as the editor costs them.
#pragma once

#include <string>

struct RecipeExportResult {
    bool fileOpened = false; // false: the output file could not be created ("Export File Open Failed")
    int status = 0;          // record file status; non-zero only when the recipe files did not open
    int lines = 0;           // ingredient lines written
    bool headerFound = false;
};

// directory: the database directory (empty: the current directory). The output path is used as
// given. Lines end in CR LF.
RecipeExportResult ExportRecipe(const std::string& directory, const std::string& recipeKey,
                                const std::string& outputPath);

// The column titles line, CR LF included.
extern const char* const kRecipeExportHeader;

// A text field as written: tabs and line breaks would split the record, so they become blanks.
std::string ExportText(const std::string& text);
