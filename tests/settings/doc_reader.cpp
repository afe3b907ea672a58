#include "doc_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <regex>
#include <sstream>

namespace vtl::test {
namespace {

std::string Lower(std::string text) {
    for (auto& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string Collapse(const std::string& text) {
    std::string out;
    for (char c : text) {
        const bool blank = std::isspace(static_cast<unsigned char>(c)) != 0;
        if (blank && (out.empty() || out.back() == ' ')) continue;
        out += blank ? ' ' : c;
    }
    if (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

std::string RegexEscaped(const std::string& text) {
    static const std::regex special(R"([.^$|()\[\]{}*+?\\])");
    return std::regex_replace(text, special, R"(\$&)");
}

std::string GroffEscapes(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char next = text[++i];
        if (next == '-')
            out += '-';
        else if (next == ' ')
            out += ' ';
        else if (next == 'e')
            out += '\\';
        else if (next == 'f' && i + 1 < text.size())
            ++i;  // a font change
        else if (next == '(' && i + 2 < text.size())
            i += 2;  // a special character
        // \& and the rest print nothing
    }
    return out;
}

// ".BR \-show\-fps ", " \-fps" -> "\-show\-fps, \-fps": quoted or bare arguments,
// joined without blanks by the alternating macros and with blanks by .B and .I.
std::string FontMacroText(const std::string& line) {
    const std::size_t space = line.find(' ');
    const std::string macro = line.substr(1, space == std::string::npos ? std::string::npos : space - 1);
    static const char* const kAlternating[] = {"BI", "BR", "IB", "IR", "RB", "RI"};
    static const char* const kSingle[] = {"B", "I", "R"};
    const bool alternating =
        std::any_of(std::begin(kAlternating), std::end(kAlternating), [&](const char* m) { return macro == m; });
    const bool single = std::any_of(std::begin(kSingle), std::end(kSingle), [&](const char* m) { return macro == m; });
    if (!alternating && !single) return {};
    std::vector<std::string> args;
    const std::string rest = space == std::string::npos ? std::string() : line.substr(space + 1);
    for (std::size_t i = 0; i < rest.size();) {
        if (rest[i] == ' ') {
            ++i;
        } else if (rest[i] == '"') {
            const std::size_t end = rest.find('"', i + 1);
            args.push_back(rest.substr(i + 1, end == std::string::npos ? std::string::npos : end - i - 1));
            i = end == std::string::npos ? rest.size() : end + 1;
        } else {
            const std::size_t end = rest.find(' ', i);
            args.push_back(rest.substr(i, end == std::string::npos ? std::string::npos : end - i));
            i = end == std::string::npos ? rest.size() : end;
        }
    }
    std::string joined;
    for (const auto& arg : args) joined += (single && !joined.empty() ? " " : "") + arg;
    return joined;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

bool Breaks(const std::string& line) {
    return line.rfind(".TP", 0) == 0 || line.rfind(".PP", 0) == 0 || line.rfind(".SH", 0) == 0 ||
           line.rfind(".SS", 0) == 0 || line.rfind(".LP", 0) == 0;
}

std::string HtmlText(const std::string& html) {
    static const std::regex tag("<[^>]*>");
    std::string text = std::regex_replace(html, tag, "");
    const std::pair<const char*, const char*> entities[] = {{"&lt;", "<"},   {"&gt;", ">"},     {"&quot;", "\""},
                                                            {"&nbsp;", " "}, {"&middot;", "*"}, {"&amp;", "&"}};
    for (const auto& [entity, character] : entities)
        for (std::size_t at; (at = text.find(entity)) != std::string::npos;)
            text.replace(at, std::strlen(entity), character);
    return Collapse(text);
}

}  // namespace

std::string ReadSourceFile(const std::string& relativePath) {
    const std::string path = std::string(VTL_SOURCE_DIR) + "/" + relativePath;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        ADD_FAILURE() << "cannot read " << path;
        return {};
    }
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string XmlElement::Attribute(const std::string& name) const {
    const auto found = attributes.find(name);
    return found == attributes.end() ? std::string() : found->second;
}

std::vector<XmlElement> XmlElements(const std::string& xml, const std::vector<std::string>& tags) {
    static const std::regex element(R"(<([A-Za-z_][\w-]*)\b([^>]*)>)");
    static const std::regex attribute(R"~(([\w:-]+)\s*=\s*"([^"]*)")~");
    std::vector<XmlElement> found;
    for (auto it = std::sregex_iterator(xml.begin(), xml.end(), element); it != std::sregex_iterator(); ++it) {
        const std::string tag = (*it)[1];
        if (std::find(tags.begin(), tags.end(), tag) == tags.end()) continue;
        XmlElement e{tag, {}};
        const std::string attrs = (*it)[2];
        for (auto a = std::sregex_iterator(attrs.begin(), attrs.end(), attribute); a != std::sregex_iterator(); ++a)
            e.attributes[(*a)[1]] = (*a)[2];
        found.push_back(std::move(e));
    }
    return found;
}

std::string ManPlain(const std::string& groff) {
    std::string out;
    for (const std::string& line : Lines(groff)) {
        std::string text = line;
        if (!line.empty() && line[0] == '.') {
            text = FontMacroText(line);
            if (text.empty()) continue;  // a request that prints nothing here
        }
        out += GroffEscapes(text) + "\n";
    }
    return out;
}

std::vector<ManEntry> ManEntries(const std::string& groff) {
    const std::vector<std::string> lines = Lines(groff);
    std::vector<ManEntry> entries;
    std::string section;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].rfind(".SH", 0) == 0) section = Collapse(ManPlain(lines[i].substr(3)));
        if (lines[i].rfind(".TP", 0) != 0 || i + 1 == lines.size()) continue;
        ManEntry entry{section, Collapse(ManPlain(lines[++i])), {}};
        std::string body;
        while (i + 1 < lines.size() && !Breaks(lines[i + 1])) body += lines[++i] + "\n";
        entry.body = Collapse(ManPlain(body));
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::string ManSection(const std::string& groff, const std::string& name) {
    std::string body;
    bool inside = false;
    for (const std::string& line : Lines(groff)) {
        if (line.rfind(".SH", 0) == 0) {
            inside = Collapse(ManPlain(line.substr(3))) == name;
            continue;
        }
        if (inside) body += line + "\n";
    }
    return Collapse(ManPlain(body));
}

std::vector<HelpEntry> HelpEntries(const std::string& html) {
    static const std::regex pair(R"(<dt>([\s\S]*?)</dt>\s*<dd>([\s\S]*?)</dd>)", std::regex::icase);
    std::vector<HelpEntry> entries;
    for (auto it = std::sregex_iterator(html.begin(), html.end(), pair); it != std::sregex_iterator(); ++it)
        entries.push_back({HtmlText((*it)[1]), HtmlText((*it)[2])});
    return entries;
}

std::vector<std::string> OptionWords(const std::string& text) {
    std::vector<std::string> words;
    std::string word;
    for (char c : text + " ") {
        if (c == ' ' || c == ',' || c == '[' || c == ']' || c == '|') {
            if (!word.empty()) words.push_back(word);
            word.clear();
        } else {
            word += c;
        }
    }
    return words;
}

bool SaysDefault(const std::string& text, const std::string& value) {
    const std::string v = RegexEscaped(Lower(value));
    const std::regex phrase("default( is|:)? " + v + "\\b|\\b" + v + " by default|\\b" + v + " \\((the )?default\\)");
    return std::regex_search(Lower(text), phrase);
}

bool SaysRange(const std::string& text, std::int32_t low, std::int32_t high) {
    const std::regex phrase("(^|[^0-9-])" + std::to_string(low) + "[^0-9]{0,12}\\bto\\b[^0-9]{0,12}" +
                            std::to_string(high) + "([^0-9]|$)");
    return std::regex_search(text, phrase);
}

}  // namespace vtl::test
