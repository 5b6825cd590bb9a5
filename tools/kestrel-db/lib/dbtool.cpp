#include "dbtool.h"

#include "RecipeFiles.h"
#include "btrieve/btrcall.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace kdb {

long CountRecords(const std::string& recordPath, int* status) {
    const FileKind* kind = FindFileKind(recordPath);
    std::unique_ptr<CBtrieveDB> file = kind ? kind->make() : nullptr;
    if (!file) {
        if (status) *status = btr::B_FILE_NOT_FOUND;
        return -1;
    }
    int s = file->OpenFile(recordPath.c_str());
    if (status) *status = s;
    if (s != 0) return -1;
    long count = static_cast<long>(file->GetRecordCount());
    file->Close();
    return count;
}

std::vector<Download> ReadManifest(const std::string& dir, std::string* problem) {
    std::vector<Download> out;
    fs::path manifest = fs::path(dir) / "MANIFEST";
    std::ifstream in(manifest);
    if (!in) {
        if (problem) *problem = "no MANIFEST in " + dir;
        return out;
    }
    std::string text;
    int number = 0;
    while (std::getline(in, text)) {
        ++number;
        if (!text.empty() && text.back() == '\r') text.pop_back();
        if (text.empty() || text[0] == '#') continue;
        std::istringstream fieldsIn(text);
        Download d;
        std::string name;
        if (!(fieldsIn >> d.fileName >> name >> d.version >> d.headerLength) || !FindFileKind(d.fileName)) {
            if (problem)
                *problem = manifest.string() + " line " + std::to_string(number) +
                           " is not \"FILE.DB download version header-length\"";
            return {};
        }
        d.path = (fs::path(dir) / name).string();
        out.push_back(d);
    }
    return out;
}

bool BuildDemo(const std::string& dir, const std::string& dataDir, std::vector<std::string>* report) {
    auto say = [&](const std::string& line) {
        if (report) report->push_back(line);
    };
    std::string problem;
    std::vector<Download> downloads = ReadManifest(dataDir, &problem);
    if (downloads.empty()) {
        say(problem.empty() ? "no downloads listed in " + dataDir : problem);
        return false;
    }
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (ec || !fs::is_directory(dir)) {
        say("cannot create the directory " + dir);
        return false;
    }
    // The start-up's working folders and its check of the recipe-side files.
    for (const char* sub : {"DBTEXT", "TEMP", "CONFS"})
        fs::create_directories(fs::path(dir) / sub, ec);
    fs::path previous = fs::current_path(ec);
    fs::current_path(dir, ec);
    if (ec) {
        say("cannot enter the directory " + dir);
        return false;
    }
    bool clean = true;
    if (CheckRecipeFiles() != 0) {
        say("the recipe-side files could not all be created");
        clean = false;
    }
    fs::path data = fs::absolute(previous / dataDir);
    if (fs::path(dataDir).is_absolute()) data = dataDir;
    // Every shared file starts empty, then takes its downloads in order.
    for (const FileKind& kind : FileKinds()) {
        bool shared = kind.reloadable || kind.fileName == "PTNSIZE.DB";
        if (!shared) continue;
        auto file = kind.make();
        if (file->Create(kind.fileName.c_str()) != 0) {
            say("cannot create " + kind.fileName);
            clean = false;
        }
        file->Close();
    }
    for (const Download& d : downloads) {
        std::string path =
            fs::path(d.path).is_absolute() ? d.path : (data / fs::path(d.path).filename()).string();
        std::error_code sizeError;
        if (fs::is_regular_file(path, sizeError) && fs::file_size(path, sizeError) == 0) {
            say(d.fileName + ": " + fs::path(path).filename().string() + " is empty, nothing to load");
            continue;
        }
        ImportResult r = ImportDownload(d.fileName, path, d.version, d.headerLength, false);
        std::string line =
            d.fileName + ": " + std::to_string(r.lines) + " lines from " + fs::path(path).filename().string();
        if (!r.started) {
            line += " not loaded: " + r.problem;
            clean = false;
        } else if (r.failed()) {
            line += " not loaded: " + r.failureText;
            clean = false;
        } else if (!r.errors.empty()) {
            line += ", " + std::to_string(r.errors.size()) + " messages (first: " + r.errors.front() + ")";
            clean = false;
        }
        say(line);
    }
    fs::current_path(previous, ec);
    if (AddDemoRecipes(dir, report) < 0) clean = false;
    return clean;
}

} // namespace kdb
