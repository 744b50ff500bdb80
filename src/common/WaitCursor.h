#pragma once

namespace vz {

// Shows the wait cursor for the lifetime of the guard and restores the
// previous cursor on every path out, also when an error is raised.
class WaitCursor
{
public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;

    // How many guards are alive (tests check that every path restores).
    static int depth();

private:
    bool m_active = false;
};

} // namespace vz
