// Writes a saved recipe to a tab-separated text file: a header line and one line per ingredient,
// costed as the editor costs them.
#pragma once

#include <string>

struct RecipeExportResult {
    bool fileOpened = false; // false: the output file could not be created ("Export File Open Failed")
    int status = 0;          // 0, or the record file status that stopped the export: the recipe files did
                             // not open, or a read failed part-way
    int writeError = 0;      // 0, or the system's error number of a failed write
    int lines = 0;           // ingredient lines read and written
    bool headerFound = false;

    // The file is in place under its name, whole.
    bool Succeeded() const { return fileOpened && status == 0 && writeError == 0; }
};

// directory: the database directory (empty: the current directory). The output path is used as
// given. Lines end in CR LF. The text is written to a file beside the output and renamed over it
// only when everything was read and written: a failed export leaves whatever was under the
// output's name as it was.
RecipeExportResult ExportRecipe(const std::string& directory, const std::string& recipeKey,
                                const std::string& outputPath);

// The column titles line, CR LF included.
extern const char* const kRecipeExportHeader;

// A text field as written: tabs and line breaks would split the record, so they become blanks.
std::string ExportText(const std::string& text);
