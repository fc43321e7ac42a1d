#pragma once

#include "win.h"

#include <functional>
#include <string_view>

struct IAccPropServices;
class TStateServer;

// Names and descriptions for screen readers, set on a control's window by dynamic annotation
// (IAccPropServices), so a readout can be named by what it measures while it shows the value.
// Without the service (a system without it) every call does nothing. Needs COM on this thread.
class TAccessibility {
public:
    TAccessibility();
    ~TAccessibility();
    TAccessibility(const TAccessibility&) = delete;
    TAccessibility& operator=(const TAccessibility&) = delete;

    // What a screen reader calls the control (UTF-8).
    void Name(HWND control, std::string_view utf8);
    // What it reads after the name (UTF-8).
    void Description(HWND control, std::string_view utf8);
    // The control's role, a ROLE_SYSTEM_* value.
    void Role(HWND control, long role);
    // Makes a button read as a toggle: its state says pressed whenever `down` answers true.
    void Toggle(HWND button, std::function<bool()> down);
    // Tells screen readers that a control's state changed.
    static void StateChanged(HWND control);
    // Tells screen readers that a control's name changed (a readout's value is part of its name).
    static void NameChanged(HWND control);
    // Says one sentence (UTF-8) once, after what is being said, through UI Automation's notification
    // (Windows 10 1709 and later; loaded when first needed); elsewhere nothing is said.
    static void Announce(HWND window, std::string_view utf8);
    // Drops every annotation of the control; before it is destroyed.
    void Clear(HWND control);

private:
    IAccPropServices* services_ = nullptr;
    TStateServer* states_ = nullptr;  // answers the state of the toggles
};
