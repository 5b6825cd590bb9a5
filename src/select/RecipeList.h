// Reading a customer's recipe headers for the selection list, and removing one recipe. Plain C++.
#pragma once

#include <string>
#include <vector>

struct CRecipeListEntry {
    std::string recipeID;
    std::string name;
    std::string lastDT; // "%m/%d/%y" in local time, empty when the time cannot be converted
    std::string key;
};

// The customer's headers in key order (record type "C"); a customer number's trailing blanks do not
// count. Returns 0 when the list was read in full, otherwise the status of the file that failed
// (the entries read before it are kept).
int ReadRecipeList(const std::string& customer, const std::string& directory,
                   std::vector<CRecipeListEntry>& entries);

// Looks a header up for the delete question: 0 found, 4 not on file, other values a read failure.
int FindRecipeHeader(const std::string& directory, const std::string& key, std::string& name);

// Last write time as the list shows it.
std::string FormatLastDT(long long seconds);
