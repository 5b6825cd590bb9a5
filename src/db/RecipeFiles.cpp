#include "RecipeFiles.h"

#include "MenuCategoryDB.h"
#include "MenuHdrDB.h"
#include "MenuItemDB.h"
#include "OrderDB.h"
#include "OrderItemDB.h"
#include "PortionSizeDB.h"
#include "btrieve/btrcall.h"

namespace {

int CheckFile(CBtrieveDB& db, const char* createName) {
    int status = db.OpenFile();
    if (status == btr::B_FILE_NOT_FOUND) status = db.Create(createName);
    // Whatever the outcome, nothing stays open.
    db.Close();
    return status;
}

} // namespace

int CheckRecipeFiles() {
    int first = 0;
    auto check = [&](CBtrieveDB&& db, const char* createName) {
        int status = CheckFile(db, createName);
        if (status != 0 && first == 0) first = status;
    };
    check(CPortionSizeDB(), "PTNSIZE.DB");
    check(COrderDB(), "ORDER.DB");
    check(COrderItemDB(), "ORDRITEM.DB");
    check(CMenuCategoryDB(), "MenuCategory.DB");
    check(CMenuHdrDB(), "MENUHDR.DB");
    check(CMenuItemDB(), "MenuItem.DB");
    return first;
}
