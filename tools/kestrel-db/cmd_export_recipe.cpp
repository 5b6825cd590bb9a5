// kestrel-db export-recipe DIR RECIPEKEY OUT.txt: the recipe editor's export without its dialogs.
#include "command.h"

#include "RecipeExport.h"
#include "btrieve/status_text.h"
#include "escaped.h"

#include <cstdio>
#include <cstring>

namespace {

int Run(const std::vector<std::string>& args) {
    auto pos = kdb::Positional(args, {});
    if (pos.size() != 3) {
        std::fprintf(stderr, "kestrel-db export-recipe: give DIR RECIPEKEY OUT.txt\n");
        return 2;
    }
    RecipeExportResult result = ExportRecipe(pos[0], pos[1], pos[2]);
    if (!result.fileOpened) {
        std::fprintf(stderr, "Export File Open Failed\n");
        return 1;
    }
    if (result.status != 0) {
        std::fprintf(stderr, "Export to %s failed with error code %d after %d records.\n",
                     kdb::Escaped(pos[2]).c_str(), result.status, result.lines);
        std::fprintf(stderr, "kestrel-db export-recipe: status %s\n", btr::StatusText(result.status).c_str());
        return 1;
    }
    if (result.writeError != 0) {
        std::fprintf(stderr, "Export to %s failed: %s\n", kdb::Escaped(pos[2]).c_str(),
                     std::strerror(result.writeError));
        return 1;
    }
    std::printf("Exported %d recipe lines to %s.\n", result.lines, kdb::Escaped(pos[2]).c_str());
    return 0;
}

kdb::CommandRegistration
    reg({"export-recipe", "export-recipe DIR RECIPEKEY OUT.txt",
         "Writes the saved recipe RECIPEKEY of the database in DIR to OUT.txt as the\n"
         "editor's \"Export To ...\" does: a tab-separated header line and one line per\n"
         "ingredient, costed at today's prices where the recipe keeps none.",
         Run});

} // namespace
