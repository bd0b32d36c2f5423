// Reading what the validator knows of a module from the module's description: the data of the
// description's format (cmake/module_description.py) that the checks use. Keys the checks do not
// use are left to the build, which reads the same file.
#include "host/validator/module_specifics.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "common/pin_values.h"
#include "host/io/error.h"
#include "host/io/number_text.h"
#include "host/io/section_file.h"

namespace tarnhost {

namespace {

constexpr const char* kPinPrefix = "pin ";
constexpr const char* kBlanks = " \t";
constexpr int kMaxNodes = 10000;
constexpr int kMaxDecimals = 9;
// A text input's grammar: its nodes, what describes them, and the texts it names.
constexpr const char* kNodesKey = "nodes";
const char* const kNodeKeys[] = {"node", "number-range", "exponents", "odd-numbers", "written-decimals"};
const char* const kTextKeys[] = {"steady", "first", "second", "edge-text"};

// One section of the description, read with its file's name at hand for every complaint.
class Reader {
public:
    Reader(const SectionFile& file, const Section& section) : file_(file), section_(section) {}

    std::string at(int line) const { return file_.at(line); }
    [[noreturn]] void fail(int line, const std::string& what) const { throw InputError(at(line) + ": " + what); }

    // The one field of `key`, null without one.
    const SectionField* one(const std::string& key) const {
        const SectionField* found = nullptr;
        for (const SectionField& f : section_.fields) {
            if (f.key != key) continue;
            if (found != nullptr) fail(f.line, key + " given twice in [" + section_.title + "]");
            found = &f;
        }
        return found;
    }

    const SectionField& required(const std::string& key) const {
        const SectionField* f = one(key);
        if (f == nullptr) fail(section_.line, "[" + section_.title + "] has no " + key);
        return *f;
    }

    std::string text(const std::string& key, const std::string& otherwise) const {
        const SectionField* f = one(key);
        return f != nullptr ? f->value : otherwise;
    }

    long long whole(const SectionField& f, long long lowest, long long highest) const {
        const auto n = parseInt(f.value);
        if (!n || *n < lowest || *n > highest)
            fail(f.line, f.key + " must be a whole number from " + std::to_string(lowest) + " to " +
                             std::to_string(highest) + ", not \"" + f.value + "\"");
        return *n;
    }

    double decimal(const SectionField& f, const std::string& value) const {
        const auto d = parseDouble(value);
        if (!d) fail(f.line, f.key + " must be a decimal number, not \"" + value + "\"");
        return *d;
    }

    // Texts in double quotes, one or more, separated by spaces; none holds a double quote.
    std::vector<std::string> quoted(const SectionField& f) const {
        std::vector<std::string> texts;
        const std::string& v = f.value;
        size_t i = 0;
        while (i < v.size()) {
            const size_t end = v[i] == '"' ? v.find('"', i + 1) : std::string::npos;
            if (end == std::string::npos || (end + 1 < v.size() && std::strchr(kBlanks, v[end + 1]) == nullptr))
                fail(f.line, f.key + " takes texts in double quotes, as in \"abc\", not " + v);
            texts.push_back(v.substr(i + 1, end - i - 1));
            i = v.find_first_not_of(kBlanks, end + 1);
            if (i == std::string::npos) break;
        }
        if (texts.empty()) fail(f.line, f.key + " takes a text in double quotes, as in \"abc\"");
        return texts;
    }

    std::string onlyText(const SectionField& f) const {
        const std::vector<std::string> texts = quoted(f);
        if (texts.size() != 1) fail(f.line, f.key + " takes one text in double quotes");
        return texts[0];
    }

    const Section& section() const { return section_; }

private:
    const SectionFile& file_;
    const Section& section_;
};

std::vector<std::string> words(const std::string& text) {
    std::vector<std::string> out;
    for (size_t i = text.find_first_not_of(kBlanks); i != std::string::npos; i = text.find_first_not_of(kBlanks, i)) {
        const size_t end = std::min(text.find_first_of(kBlanks, i), text.size());
        out.push_back(text.substr(i, end - i));
        i = end;
    }
    return out;
}

template <size_t N>
bool among(const std::string& key, const char* const (&keys)[N]) {
    return std::find(std::begin(keys), std::end(keys), key) != std::end(keys);
}

// The first line of a text grammar in a pin's section, null without one.
const SectionField* grammarStart(const Section& s) {
    for (const SectionField& f : s.fields)
        if (f.key == kNodesKey || among(f.key, kNodeKeys) || among(f.key, kTextKeys)) return &f;
    return nullptr;
}

// A node's form "(x,y)": what comes before its x, between its x and y, and after its y.
void readNodeForm(const Reader& r, const SectionField& f, TextGrammar& g) {
    const std::string& v = f.value;
    const size_t x = v.find('x'), y = v.find('y');
    if (x == std::string::npos || y == std::string::npos || y < x || v.find('x', x + 1) != std::string::npos ||
        v.find('y', y + 1) != std::string::npos)
        r.fail(f.line, "node must be a node's form with one x and then one y for its numbers, as in (x,y), not \"" + v +
                           "\"");
    g.open = v.substr(0, x);
    g.separator = v.substr(x + 1, y - x - 1);
    g.close = v.substr(y + 1);
}

void readNodes(const Reader& r, TextGrammar& g) {
    const SectionField& nodes = r.required(kNodesKey);
    g.nodes = static_cast<int>(r.whole(nodes, 1, kMaxNodes));
    readNodeForm(r, r.required("node"), g);
    const SectionField& range = r.required("number-range");
    const std::vector<std::string> ends = words(range.value);
    if (ends.size() != 2)
        r.fail(range.line, "number-range must be two numbers, lowest and highest, not \"" + range.value + "\"");
    g.lowest = r.decimal(range, ends[0]);
    g.highest = r.decimal(range, ends[1]);
    if (!(g.lowest < g.highest)) r.fail(range.line, "number-range goes from its lowest to its highest number");
    if (const SectionField* e = r.one("exponents")) {
        const auto letter = [](unsigned char c) { return std::isalpha(c) != 0; };
        if (e->value.empty() || !std::all_of(e->value.begin(), e->value.end(), letter))
            r.fail(e->line, "exponents must be the letters that begin an exponent, as in eE, not \"" + e->value + "\"");
        g.exponents = e->value;
    }
    if (const SectionField* odd = r.one("odd-numbers")) g.oddNumbers = r.quoted(*odd);
    if (const SectionField* w = r.one("written-decimals"))
        g.writtenDecimals = static_cast<int>(r.whole(*w, 0, kMaxDecimals));
}

void readGrammar(const Reader& r, TextGrammar& g) {
    if (r.one(kNodesKey) != nullptr) {
        readNodes(r, g);
    } else {
        for (const char* key : kNodeKeys)
            if (const SectionField* f = r.one(key)) r.fail(f->line, std::string(key) + " describes nodes: it needs nodes");
    }
    if (const SectionField* f = r.one("steady")) g.steady = r.onlyText(*f);
    if (const SectionField* f = r.one("first")) g.first = r.onlyText(*f);
    if (const SectionField* f = r.one("second")) g.second = r.onlyText(*f);
    std::vector<std::string> edge;
    for (const SectionField& f : r.section().fields)
        if (f.key == "edge-text") edge.push_back(r.onlyText(f));
    if (!edge.empty()) g.edgeTexts = edge;
}

void readPin(const Reader& r, ModuleSpecifics& m, bool& textDescribed) {
    const Section& s = r.section();
    const std::string name = s.title.substr(std::string(kPinPrefix).size());
    const std::string direction = r.text("direction", ""), type = r.text("type", "");
    const bool input = direction == "in";
    if (const SectionField* gate = r.one("gate")) {
        if (!input || type != "audio") r.fail(gate->line, "only an audio input has a gate");
        m.gated.push_back({name, tarn::signalFromWrittenVolts(r.decimal(*gate, gate->value)), r.at(gate->line)});
    }
    const SectionField* grammar = grammarStart(s);
    if (grammar == nullptr) return;
    if (!input || type != "text") r.fail(grammar->line, "only a text input has a grammar (" + grammar->key + ")");
    if (textDescribed) r.fail(grammar->line, "only one text input has a grammar: [" + s.title + "] is a second");
    textDescribed = true;
    readGrammar(r, m.text);
}

}  // namespace

bool ModuleSpecifics::gates(const std::string& pin) const {
    return std::any_of(gated.begin(), gated.end(), [&](const GatedInput& g) { return g.pin == pin; });
}

bool ModuleSpecifics::drawsFromSharedGenerator(const std::string& name) const {
    return !sharedGenerator.empty() && name.find(sharedGenerator) != std::string::npos;
}

ModuleSpecifics readModuleSpecifics(const std::string& path) {
    const SectionFile file = readSectionFile(path);
    if (file.sections.empty() || file.sections[0].title != "module")
        throw InputError(file.at(file.sections.empty() ? 1 : file.sections[0].line) + ": [module] comes first");
    ModuleSpecifics m;
    m.description = path;
    const Reader module(file, file.sections[0]);
    const SectionField& id = module.required("id");
    m.id = id.value;
    m.idAt = file.at(id.line);
    if (const SectionField* shared = module.one("shared-generator")) {
        if (shared->value.empty()) module.fail(shared->line, "shared-generator names a word of the choices that use it");
        m.sharedGenerator = shared->value;
    }
    bool textDescribed = false;
    for (size_t i = 1; i < file.sections.size(); ++i)
        if (file.sections[i].title.rfind(kPinPrefix, 0) == 0) readPin(Reader(file, file.sections[i]), m, textDescribed);
    return m;
}

}  // namespace tarnhost
