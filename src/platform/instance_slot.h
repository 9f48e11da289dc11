// The single-instance slot: a 4-byte shared block per user and desktop that holds the endpoint
// handle of the first running instance (0 = none yet). A second start finds the handle there and
// asks that instance to restore itself instead of starting again. The block is a file mapped
// into memory, kept in the user's private runtime folder (RuntimeDir), where no other user can
// take its name first.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/endpoint.h"

namespace tobu {

constexpr const char* kInstanceSlotGuid = "{890B9BDE-EEE5-41EC-A4B8-F217ABDC0D17}";

class InstanceSlot {
public:
    InstanceSlot() = default; // a null slot
    ~InstanceSlot();
    InstanceSlot(InstanceSlot&& other) noexcept;
    InstanceSlot& operator=(InstanceSlot&& other) noexcept;
    InstanceSlot(const InstanceSlot&) = delete;
    InstanceSlot& operator=(const InstanceSlot&) = delete;

    // The name of this user's slot on this desktop: "/", the prefix ($TOBU_INSTANCE_NAME, else
    // the program's GUID), the user id and the X display, with characters that do not belong
    // in a file name replaced by "_".
    static std::string DefaultName();
    // The names of this user's slots on every desktop that has one: the files in the runtime
    // folder named as DefaultName names them for any display.
    static std::vector<std::string> NamesOnAllDesktops();
    // The slot's file: the runtime folder followed by the name.
    static std::string PathOf(const std::string& name);
    // Opens the slot, creating it zero-filled when it does not exist. A failure (no private
    // runtime folder, or a file that is not this user's) gives a null slot and is reported on
    // standard error.
    static InstanceSlot Open(const std::string& name = DefaultName());
    // Removes the named slot (tests clean up with it).
    static bool Remove(const std::string& name);

    bool IsNull() const { return view_ == nullptr; }
    WindowHandle Read() const;
    void Write(WindowHandle handle);
    // Clears the slot if it still holds `mine`: an instance that exits cleanly leaves the slot
    // empty for the next start.
    void Release(WindowHandle mine);
    void Close();

private:
    int fd_ = -1;
    uint32_t* view_ = nullptr;
};

// Sends the stored instance the restore command (message 0x112, first parameter 0xF120) and
// waits until it was handled.
void SendRestore(WindowHandle handle);

// The test-and-publish step of start-up. Returns false, after publishing `mine`, when the slot is
// empty or its handle no longer answers (a crashed first instance never locks the user out).
// Returns true after restoring the running instance. A null slot returns false.
bool AppAlreadyRunning(InstanceSlot& slot, WindowHandle mine,
                       const std::function<void(WindowHandle)>& restore = SendRestore,
                       const std::function<bool(WindowHandle)>& is_window = IsWindow);

} // namespace tobu
