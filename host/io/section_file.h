// Text files of [section] headers and "key = value" lines, as the modules' descriptions are written.
#pragma once

#include <string>
#include <vector>

namespace tarnhost {

struct SectionField {
    std::string key;
    std::string value;  // the rest of the line after "=", trimmed
    int line;
};

struct Section {
    std::string title;  // between the brackets, trimmed
    int line;
    std::vector<SectionField> fields;  // in the file's order; a key may repeat

    // The field of `key`, null without one.
    const SectionField* find(const std::string& key) const;
};

struct SectionFile {
    std::string path;
    std::vector<Section> sections;

    // "PATH:LINE", to begin a message about that line.
    std::string at(int line) const;
};

// Reads a file: blank lines and lines starting with # are skipped, a line "[TITLE]" begins a
// section, every other line is "key = value" inside one. Throws InputError naming the path, and
// the line of a malformed one.
SectionFile readSectionFile(const std::string& path);

}  // namespace tarnhost
