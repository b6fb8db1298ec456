// Message boxes where SDL has none of its own (Wayland): a zenity child that cannot outlive
// the program or keep it waiting for ever.
#pragma once

enum class BoxKind { Information, Warning, Error };

enum class BoxOutcome {
    Closed,      // the user closed it, or it closed itself after its timeout
    NotShown,    // zenity could not run (not installed, no display)
    Interrupted, // SIGINT or SIGTERM arrived while it showed: it is gone, the signal passed on
};

// Shows caption and text (taken literally, no markup) and waits until the box closes, the
// program is signalled, or `limitSeconds` pass (then the box is closed).
BoxOutcome showZenityBox(BoxKind kind, const char* caption, const char* text, int limitSeconds);
