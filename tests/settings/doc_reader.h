#pragma once
// Readers of the hand-written documents that describe the settings (the hack's
// XScreenSaver option file, its man page, the help file), reduced to what the
// settings checks compare with the table, and the phrases those documents use to
// state a default or a range.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace vtl::test {

// A file of the source tree; empty, with a test failure, when it cannot be read.
std::string ReadSourceFile(const std::string& relativePath);

struct XmlElement {
    std::string tag;
    std::map<std::string, std::string> attributes;
    std::string Attribute(const std::string& name) const;  // empty when absent
    bool Has(const std::string& name) const { return attributes.count(name) != 0; }
};
// Every element of the given tags, in document order.
std::vector<XmlElement> XmlElements(const std::string& xml, const std::vector<std::string>& tags);

// Groff text as a reader sees it: escapes and font changes resolved, the font macros'
// arguments joined, quotes gone.
std::string ManPlain(const std::string& groff);
struct ManEntry {
    std::string section;  // the .SH it stands in
    std::string tag;      // the line after .TP
    std::string body;     // up to the next paragraph or section
};
// Every tagged paragraph of the page.
std::vector<ManEntry> ManEntries(const std::string& groff);
// The plain text of one section, its lines joined by blanks.
std::string ManSection(const std::string& groff, const std::string& name);

struct HelpEntry {
    std::string term;  // a <dt>, as text
    std::string text;  // its <dd>, as text
};
std::vector<HelpEntry> HelpEntries(const std::string& html);

// The words of an option list such as "-show-fps, -fps" or "[-speed n]".
std::vector<std::string> OptionWords(const std::string& text);

// "default 6", "the default is 6", "6 by default", "6 (the default)", any case.
bool SaysDefault(const std::string& text, const std::string& value);
// "10 to 1000", also with words between: "1 (slow) to 11 (fast)".
bool SaysRange(const std::string& text, std::int32_t low, std::int32_t high);

}  // namespace vtl::test
