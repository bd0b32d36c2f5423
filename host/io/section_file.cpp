// Reading files of sections and "key = value" lines.
#include "host/io/section_file.h"

#include <fstream>

#include "host/io/error.h"

namespace tarnhost {

namespace {

std::string trimmed(const std::string& s) {
    constexpr const char* kSpace = " \t\r\n\v\f";
    const size_t b = s.find_first_not_of(kSpace);
    if (b == std::string::npos) return "";
    return s.substr(b, s.find_last_not_of(kSpace) - b + 1);
}

bool hasControlCharacter(const std::string& s) {
    for (unsigned char c : s)
        if (c < 0x20 && c != '\t') return true;
    return false;
}

}  // namespace

const SectionField* Section::find(const std::string& key) const {
    for (const SectionField& f : fields)
        if (f.key == key) return &f;
    return nullptr;
}

std::string SectionFile::at(int line) const { return path + ":" + std::to_string(line); }

SectionFile readSectionFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw InputError("cannot read " + path);
    SectionFile file{path, {}};
    std::string raw;
    for (int number = 1; std::getline(in, raw); ++number) {
        const std::string line = trimmed(raw);
        if (line.empty() || line[0] == '#') continue;
        if (hasControlCharacter(line)) throw InputError(file.at(number) + ": a control character");
        if (line[0] == '[') {
            if (line.back() != ']') throw InputError(file.at(number) + ": a section's title ends with \"]\"");
            file.sections.push_back({trimmed(line.substr(1, line.size() - 2)), number, {}});
            continue;
        }
        const size_t eq = line.find('=');
        if (eq == std::string::npos || file.sections.empty())
            throw InputError(file.at(number) + ": expected \"key = value\" in a section");
        file.sections.back().fields.push_back({trimmed(line.substr(0, eq)), trimmed(line.substr(eq + 1)), number});
    }
    if (in.bad()) throw InputError("cannot read " + path);
    return file;
}

}  // namespace tarnhost
