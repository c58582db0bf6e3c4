// Paths the system would refuse or change (see save_path_rules.h). Any thread.
#include "save_path_rules.h"

#include "utf8_text.h"

#include <cctype>
#include <vector>

namespace korvane {

namespace {

std::string Upper(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// CON, PRN, AUX, NUL, COM0-9 and LPT0-9 name devices in every folder, whatever follows
// the first dot and with blanks before it ignored.
bool IsDeviceName(const std::string& name)
{
    std::string stem = Upper(name.substr(0, name.find('.')));
    while (!stem.empty() && stem.back() == ' ')
        stem.pop_back();
    if (stem == "CON" || stem == "PRN" || stem == "AUX" || stem == "NUL")
        return true;
    return stem.size() == 4 && (stem.compare(0, 3, "COM") == 0 || stem.compare(0, 3, "LPT") == 0) &&
           std::isdigit(static_cast<unsigned char>(stem[3]));
}

std::vector<std::string> NamesOf(const std::string& path)
{
    std::vector<std::string> names;
    size_t start = 0;
    // A drive ("C:") or a server and share ("\\server\share") is no name of ours.
    if (path.size() >= 2 && path[1] == ':')
        start = 2;
    else if (path.compare(0, 2, "\\\\") == 0) {
        const size_t share = path.find('\\', 2);
        start = share == std::string::npos ? path.size() : path.find('\\', share + 1);
        if (start == std::string::npos)
            start = path.size();
    }
    while (start < path.size()) {
        const size_t end = path.find_first_of("\\/", start);
        const std::string name =
            path.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!name.empty())
            names.push_back(name);
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return names;
}

}  // namespace

std::string SavePathRefusal(const std::string& path)
{
    const size_t units = Utf16Units(path);
    if (units > kLongestSavePath)
        return "the path is " + std::to_string(units) + " characters long, and Windows lets a " +
               "program use at most " + std::to_string(kLongestSavePath);
    for (const std::string& name : NamesOf(path)) {
        if (name == "." || name == "..")
            continue;
        if (IsDeviceName(name))
            return "\"" + name + "\" is a name Windows keeps for a device (CON, PRN, AUX, NUL, " +
                   "COM0 to COM9, LPT0 to LPT9)";
        for (char c : name) {
            // A "?" is also what a character becomes that the code page cannot hold.
            if (static_cast<unsigned char>(c) < 32 ||
                std::string("<>:\"|?*").find(c) != std::string::npos)
                return "\"" + name + "\" holds a character no file name may have (< > : \" | ? * " +
                       "or a control character)";
        }
        if (name.back() == '.' || name.back() == ' ')
            return "\"" + name + "\" ends in a dot or a blank, which Windows would drop";
    }
    return {};
}

}  // namespace korvane
