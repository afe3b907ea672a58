#pragma once
// Reads what a shipped Windows binary promises the system that loads it: machine,
// subsystem and its version, flags, the DLLs it imports, and what it carries besides
// (its sections, debug information among them). Every offset is checked
// against the file before it is followed, so a cut or damaged file is an error, not
// a crash.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vtl::shipcheck {

inline constexpr std::uint16_t kMachineI386 = 0x014C;
inline constexpr std::uint16_t kMachineAmd64 = 0x8664;
inline constexpr std::uint16_t kSubsystemGui = 2;
inline constexpr std::uint16_t kSubsystemConsole = 3;
inline constexpr std::uint16_t kLargeAddressAware = 0x0020;
inline constexpr std::uint16_t kDll = 0x2000;

struct PeImage {
    std::uint16_t machine = 0;
    std::uint16_t characteristics = 0;
    bool pe32Plus = false;
    std::uint16_t subsystem = 0;
    std::uint16_t subsystemMajor = 0, subsystemMinor = 0;
    std::uint16_t osMajor = 0, osMinor = 0;
    std::vector<std::string> imports;   // DLL names as the file spells them
    std::vector<std::string> sections;  // section names, long ones read from the string table
};

// nullopt and a reason in `error` when the bytes are not a well-formed PE image.
std::optional<PeImage> ParsePeImage(const std::vector<std::uint8_t>& bytes, std::string& error);
std::optional<PeImage> ReadPeImage(const std::string& path, std::string& error);

}  // namespace vtl::shipcheck
