// The documents that describe the settings, held to the settings table: the hack's
// XScreenSaver option file, its man page and its -help, and the help file the dialog
// opens. Each must name every setting it covers, with the table's default and range.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "app/hack/hack_options.h"
#include "doc_reader.h"
#include "settings/settings_table.h"

namespace vtl {
namespace {

using namespace test;

std::vector<const SettingDef*> HackSettings() {
    std::vector<const SettingDef*> rows;
    for (const SettingDef& s : kSettingsTable)
        if (s.option) rows.push_back(&s);
    return rows;
}

std::vector<std::string> OptionNames(const SettingDef& s) {
    std::vector<std::string> names{s.option};
    if (s.optionAlias) names.emplace_back(s.optionAlias);
    return names;
}

std::string OnOff(bool on) { return on ? "on" : "off"; }

bool Contains(const std::vector<std::string>& words, const std::string& word) {
    return std::find(words.begin(), words.end(), word) != words.end();
}

// "--no-glasses" or "-speed %" -> the setting it changes, or nullptr.
const SettingDef* SettingOfArg(std::string arg) {
    arg = arg.substr(0, arg.find(' '));
    arg.erase(0, arg.find_first_not_of('-'));
    if (const SettingDef* s = FindSettingByOption(arg.c_str())) return s;
    return arg.rfind("no-", 0) == 0 ? FindSettingByOption(arg.c_str() + 3) : nullptr;
}

const SettingDef* SettingOf(const XmlElement& e) {
    for (const char* attribute : {"arg", "arg-set", "arg-unset"})
        if (const SettingDef* s = e.Has(attribute) ? SettingOfArg(e.Attribute(attribute)) : nullptr) return s;
    return nullptr;
}

// The switch that turns `s` on (or off), with one dash or two, under either name.
bool IsSwitch(const std::string& arg, const SettingDef& s, bool on) {
    for (const std::string& name : OptionNames(s)) {
        const std::string word = (on ? "" : "no-") + name;
        if (arg == "-" + word || arg == "--" + word) return true;
    }
    return false;
}

TEST(SettingsDocs, TheOptionFileOffersEveryHackSettingWithItsDefaultAndRange) {
    const auto elements = XmlElements(ReadSourceFile("packaging/debian/vtl3d.xml"), {"number", "boolean"});
    for (const SettingDef* s : HackSettings()) {
        SCOPED_TRACE(s->name);
        std::vector<const XmlElement*> mine;
        for (const XmlElement& e : elements)
            if (SettingOf(e) == s) mine.push_back(&e);
        ASSERT_EQ(mine.size(), 1u) << "vtl3d.xml should offer -" << s->option << " once";
        const XmlElement& e = *mine[0];
        if (s->kind == SettingKind::Integer) {
            EXPECT_EQ(e.tag, "number");
            const std::string arg = e.Attribute("arg");
            EXPECT_TRUE(arg == std::string("-") + s->option + " %" || arg == std::string("--") + s->option + " %")
                << arg;
            EXPECT_EQ(e.Attribute("low"), std::to_string(s->low));
            EXPECT_EQ(e.Attribute("high"), std::to_string(s->high));
            EXPECT_EQ(e.Attribute("default"), std::to_string(s->defaultValue));
        } else {
            // XScreenSaver shows a box checked when only the argument that clears it is given.
            EXPECT_EQ(e.tag, "boolean");
            const char* given = s->defaultValue ? "arg-unset" : "arg-set";
            const char* absent = s->defaultValue ? "arg-set" : "arg-unset";
            EXPECT_FALSE(e.Has(absent)) << "the box would not start " << OnOff(s->defaultValue);
            EXPECT_TRUE(IsSwitch(e.Attribute(given), *s, !s->defaultValue))
                << given << "=\"" << e.Attribute(given) << "\" should turn it " << OnOff(!s->defaultValue);
        }
    }
}

TEST(SettingsDocs, TheOptionFilePassesOnlyOptionsTheHackTakesAndActsOn) {
    for (const XmlElement& e :
         XmlElements(ReadSourceFile("packaging/debian/vtl3d.xml"), {"command", "number", "boolean"})) {
        std::vector<std::string> commandLines;
        if (e.tag == "number") {
            for (const char* end : {"low", "high"}) {
                std::string arg = e.Attribute("arg");
                const auto at = arg.find('%');
                if (at != std::string::npos) arg.replace(at, 1, e.Attribute(end));
                commandLines.push_back(arg);
            }
        }
        for (const char* attribute : {"arg", "arg-set", "arg-unset"})
            if (e.Has(attribute) && e.tag != "number") commandLines.push_back(e.Attribute(attribute));
        if (e.tag != "command") {
            EXPECT_NE(SettingOf(e), nullptr)
                << "vtl3d.xml offers " << commandLines.front() << ", which changes no setting the hack has";
        }
        for (const std::string& line : commandLines) {
            std::istringstream words(line);
            std::vector<std::string> args{std::istream_iterator<std::string>(words), {}};
            const auto parsed = ParseHackOptions(args, nullptr);
            ASSERT_TRUE(parsed.options) << "vtl3d.xml passes \"" << line << "\": " << parsed.error;
            EXPECT_TRUE(parsed.options->warnings.empty()) << "vtl3d.xml passes \"" << line << "\", out of range";
        }
    }
}

TEST(SettingsDocs, TheManPageDescribesEveryHackSettingWithItsDefaultAndRange) {
    const std::string page = ReadSourceFile("packaging/debian/vtl3d.6");
    const std::string synopsis = ManSection(page, "SYNOPSIS");
    const auto entries = ManEntries(page);
    for (const SettingDef* s : HackSettings()) {
        SCOPED_TRACE(s->name);
        for (const std::string& name : OptionNames(*s)) {
            const bool listed = s->kind == SettingKind::Integer
                                    ? synopsis.find("[-" + name + " ") != std::string::npos
                                    : synopsis.find("[-[no-]" + name + "]") != std::string::npos ||
                                          synopsis.find("[-" + name + "]") != std::string::npos;
            EXPECT_TRUE(listed) << "the synopsis leaves out -" << name;
        }
        // The entry is under the option that changes the setting from its default.
        const std::string changing = (s->kind == SettingKind::Boolean && s->defaultValue ? "-no-" : "-");
        const ManEntry* entry = nullptr;
        for (const ManEntry& e : entries)
            if (e.section == "OPTIONS" && Contains(OptionWords(e.tag), changing + s->option)) entry = &e;
        ASSERT_NE(entry, nullptr) << "no entry for " << changing << s->option << " under OPTIONS";
        if (s->optionAlias) {
            EXPECT_TRUE(Contains(OptionWords(entry->tag), changing + s->optionAlias)) << entry->tag;
        }
        if (s->kind == SettingKind::Integer) {
            EXPECT_TRUE(SaysRange(entry->body, s->low, s->high)) << entry->body;
            EXPECT_TRUE(SaysDefault(entry->body, std::to_string(s->defaultValue))) << entry->body;
        } else {
            EXPECT_TRUE(SaysDefault(entry->body, OnOff(s->defaultValue))) << entry->body;
            EXPECT_FALSE(SaysDefault(entry->body, OnOff(!s->defaultValue))) << entry->body;
        }
    }
}

TEST(SettingsDocs, TheHelpFileExplainsEveryDialogSettingWithItsDefault) {
    const auto entries = HelpEntries(ReadSourceFile("docs/help/index.html"));
    for (const SettingDef& s : kAllSettings) {
        std::string caption = s.caption;
        while (!caption.empty() && caption.back() == ' ') caption.pop_back();
        SCOPED_TRACE(caption);
        const HelpEntry* entry = nullptr;
        for (const HelpEntry& e : entries)
            if (e.term == caption || e.term.rfind(caption + " ", 0) == 0) entry = &e;
        ASSERT_NE(entry, nullptr) << "the help file has no <dt>" << caption << "</dt>";
        const std::string& text = entry->text;
        switch (s.control) {
            case DialogControl::CheckBox:
                EXPECT_TRUE(SaysDefault(text, OnOff(s.defaultValue))) << text;
                EXPECT_FALSE(SaysDefault(text, OnOff(!s.defaultValue))) << text;
                break;
            case DialogControl::TrackBar:
            case DialogControl::SpinEdit:
                EXPECT_TRUE(SaysRange(text, s.low, s.high)) << text;
                EXPECT_TRUE(SaysDefault(text, std::to_string(s.defaultValue))) << text;
                break;
            case DialogControl::DropDownList:  // the list of video modes
                for (std::int32_t i = s.low; i <= s.high; ++i)
                    EXPECT_NE(text.find(VideoModeTable[static_cast<std::size_t>(i)].text), std::string::npos)
                        << "leaves out " << VideoModeTable[static_cast<std::size_t>(i)].text;
                EXPECT_TRUE(SaysDefault(text, VideoModeTable[static_cast<std::size_t>(s.defaultValue)].text)) << text;
                break;
            case DialogControl::RegistryOnly: break;
        }
    }
}

TEST(SettingsDocs, TheHacksHelpNamesEverySettingWithItsDefaultAndRange) {
    std::istringstream usage(HackUsage("vtl3d"));
    std::vector<std::string> lines;
    for (std::string line; std::getline(usage, line);) lines.push_back(line);
    for (const SettingDef* s : HackSettings()) {
        SCOPED_TRACE(s->name);
        const std::string* line = nullptr;
        for (const std::string& l : lines) {
            const auto words = OptionWords(l.substr(0, l.find("  ", 2)));
            if (!words.empty() && words.front() == std::string("-") + s->option) line = &l;
        }
        ASSERT_NE(line, nullptr) << "-help leaves out -" << s->option;
        if (s->optionAlias) {
            EXPECT_NE(line->find(std::string("-") + s->optionAlias), std::string::npos) << *line;
        }
        const std::string says = s->kind == SettingKind::Integer
                                     ? std::to_string(s->low) + " to " + std::to_string(s->high) + " [" +
                                           std::to_string(s->defaultValue) + "]"
                                     : "[" + OnOff(s->defaultValue) + "]";
        EXPECT_NE(line->find(says), std::string::npos) << *line;
    }
}

}  // namespace
}  // namespace vtl
