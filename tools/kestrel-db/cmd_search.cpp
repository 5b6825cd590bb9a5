// kestrel-db search DIR TEXT: the item search as the recipe editor runs it.
#include "command.h"

#include "CItemSearch.h"
#include "escaped.h"

#include <cstdio>

namespace {

int Run(const std::vector<std::string>& args) {
    auto pos = kdb::Positional(args, {});
    if (pos.size() < 2) {
        std::fprintf(stderr, "kestrel-db search: give a database directory and the text to search\n");
        return 2;
    }
    // Several arguments are the words of one text.
    std::string text = pos[1];
    for (size_t i = 2; i < pos.size(); ++i)
        text += " " + pos[i];
    CItemSearch search(pos[0]);
    int count = search.Search(text);
    for (int i = 0; i < count; ++i)
        std::printf("%-12s  %-11s  %s\n", kdb::Escaped(search.GetItemNumber(i)).c_str(),
                    kdb::Escaped(search.GetValidUnits(i)).c_str(),
                    kdb::Escaped(search.GetDescription(i)).c_str());
    std::printf("%d item%s found\n", count, count == 1 ? "" : "s");
    return 0;
}

kdb::CommandRegistration reg({"search", "search DIR TEXT",
                              "Runs the item search of the recipe editor on the database in DIR: TEXT is\n"
                              "looked up as an item number, then its words through the item dictionary\n"
                              "(ITEMDICT.DB, ITEMLKUP.DB). Prints item number, valid units and description\n"
                              "of every result in result order, then the count.",
                              Run});

} // namespace
