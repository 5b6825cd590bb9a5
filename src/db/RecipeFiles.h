// Start-up check of the recipe-side record files in the database directory.
#pragma once

// Opens each of the six recipe-side files in turn (PTNSIZE.DB, ORDER.DB, ORDRITEM.DB,
// MenuCategory.DB, MENUHDR.DB, MenuItem.DB): a file that is not found (12) is created with its
// keys, any other is closed again untouched. Nothing stays open. Returns 0, or the first status
// that was neither success nor "not found" (an open or a create that failed); every file is
// checked in any case.
int CheckRecipeFiles();
