#pragma once
// Host seam: the services of the operating system that portable code asks for.
// Each is a small interface so a test fakes only what the code under test uses.
#include <cstdint>
#include <string>

namespace vtl {

// Folders the program works with. Paths use the platform's own separator.
class IHostFolders {
public:
    virtual ~IHostFolders() = default;
    // Where the packs, help file and web shortcut lie: never empty, no trailing
    // separator unless it is a drive root.
    virtual std::string InstallFolder() = 0;
    // The user's temporary folder as the system reports it (with its trailing separator).
    virtual std::string TempFolder() = 0;
};

// Milliseconds since some start, wrapping at 2^32 like the system's tick count.
class IClock {
public:
    virtual ~IClock() = default;
    virtual std::uint32_t TickCount() = 0;
};

// Whether tick `now` has reached tick `due`: ticks wrap, so they are compared by their
// signed distance (right while the two lie less than 2^31 ms apart).
inline bool TickReached(std::uint32_t now, std::uint32_t due) { return static_cast<std::int32_t>(now - due) >= 0; }

}  // namespace vtl
