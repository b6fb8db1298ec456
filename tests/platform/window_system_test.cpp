// Which window system "auto" stands for, and the names the flag and the variable accept.
#include "platform/window_system.h"

#include <gtest/gtest.h>

namespace {

TEST(WindowSystem, AutomaticIsWaylandOnlyWhenWaylandDisplayNamesACompositor)
{
    EXPECT_EQ(resolveWindowSystem(WindowSystem::Automatic, "wayland-0"), WindowSystem::Wayland);
    EXPECT_EQ(resolveWindowSystem(WindowSystem::Automatic, nullptr), WindowSystem::X11);
    EXPECT_EQ(resolveWindowSystem(WindowSystem::Automatic, ""), WindowSystem::X11) << "set but empty";
    // A forced choice stands whatever the variable says.
    EXPECT_EQ(resolveWindowSystem(WindowSystem::X11, "wayland-0"), WindowSystem::X11);
    EXPECT_EQ(resolveWindowSystem(WindowSystem::Wayland, nullptr), WindowSystem::Wayland);
}

TEST(WindowSystem, NamesRoundTripAndNothingElseParses)
{
    for (WindowSystem system : {WindowSystem::Automatic, WindowSystem::X11, WindowSystem::Wayland}) {
        WindowSystem parsed = system == WindowSystem::X11 ? WindowSystem::Wayland : WindowSystem::X11;
        ASSERT_TRUE(parseWindowSystem(windowSystemName(system), parsed)) << windowSystemName(system);
        EXPECT_EQ(parsed, system);
    }
    WindowSystem untouched = WindowSystem::Wayland;
    for (const char* bad : {"", "X11", "x11 ", "wayland\n", "auto;x11", "directfb"})
        EXPECT_FALSE(parseWindowSystem(bad, untouched)) << bad;
    EXPECT_EQ(untouched, WindowSystem::Wayland) << "a refused name changes nothing";
}

} // namespace
