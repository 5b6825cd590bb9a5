#include "RecipeFiles.h"

#include "MenuCategoryDB.h"
#include "MenuHdrDB.h"
#include "MenuItemDB.h"
#include "OrderDB.h"
#include "OrderItemDB.h"
#include "PortionSizeDB.h"
#include "btrieve/btrcall.h"

int CheckRecipeFile(CBtrieveDB& db, const char* createName) {
    int status = db.OpenFile();
    if (status == btr::B_FILE_NOT_FOUND) {
        status = db.Create(createName);
        if (status == btr::B_FILE_ALREADY_EXISTS) status = 0;
    }
    db.Close();
    return status;
}

int CheckRecipeFiles() {
    int first = 0;
    auto check = [&](CBtrieveDB&& db, const char* createName) {
        int status = CheckRecipeFile(db, createName);
        if (status != 0 && first == 0) first = status;
    };
    check(CCreateNoReplace<CPortionSizeDB>(), "PTNSIZE.DB");
    check(CCreateNoReplace<COrderDB>(), "ORDER.DB");
    check(CCreateNoReplace<COrderItemDB>(), "ORDRITEM.DB");
    check(CCreateNoReplace<CMenuCategoryDB>(), "MenuCategory.DB");
    check(CCreateNoReplace<CMenuHdrDB>(), "MENUHDR.DB");
    check(CCreateNoReplace<CMenuItemDB>(), "MenuItem.DB");
    return first;
}
