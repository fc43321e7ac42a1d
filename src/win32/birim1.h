#pragma once

#include "accessibility.h"
#include "imagepane.h"
#include "look.h"
#include "render/announce.h"
#include "render/frame.h"
#include "render/layout.h"
#include "saat.h"
#include "scene/input.h"
#include "scene/scene.h"
#include "toolbuttons.h"
#include "win.h"

#include <array>
#include <memory>
#include <string>

// The main window: four view panes, four tool buttons, sixteen readouts and the frame timer.
// Every place, size and text comes from the layout table, scaled from 96 DPI to the window's monitor.
class TForm1 {
public:
    // Makes the window with its controls (running FormCreate), shown maximised unless the show command
    // of the program's start (nCmdShow) asks for minimised, and starts Saat.
    TForm1(HINSTANCE instance, int showCommand);
    ~TForm1();
    TForm1(const TForm1&) = delete;
    TForm1& operator=(const TForm1&) = delete;

    HWND Handle() const { return hwnd_; }
    TScene& Scene() { return *scene_; }

    // Runs the message loop with Saat's frames until the window closes; the exit code.
    int Run();

    // The tool button that is down, if any.
    TTool CurrentTool() const { return input_.Tool(); }
    // Puts one tool down (raising the others) or, with TTool::None, raises them all.
    void SetTool(TTool tool)
    {
        input_.SetTool(tool);
        tools_.Set(tool);
    }

    // One frame: plan views, projection, 3D view, readouts, then the panes whose image changed repaint.
    void SaatTimer();

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

    void FormCreate();
    void MakeControl(std::size_t index);
    // Shows `text` (UTF-8) when the pointer rests on the control.
    void AddTooltip(HWND control, const char* text);
    // A mouse message of a plan pane or of the window's face, for the input model; holds the pointer for
    // `from` while any button is held.
    void Pointer(HWND from, UINT message, WPARAM wParam, LPARAM lParam);
    // The platform took the pointer away, or the window went inactive or hidden: every held button lets go.
    void CancelPointer();
    // A key message (or WM_KILLFOCUS) of plan pane `view`, for the input model.
    void Key(TPlanView view, UINT message, WPARAM wParam, LPARAM lParam);
    // Shows the input model's tool in the buttons and each plan pane's keyboard pointer.
    void Mirror();
    // Font, icons and every control's place for the window's current DPI.
    void ApplyDpi(UINT dpi);
    // The first show, as the start's show command asks; maximised by default.
    void FirstShow(int showCommand);
    // Notes which control has the keyboard, for WM_SETFOCUS to give it back.
    void KeepFocus();
    // Colours after a change of the system's colours or of high contrast, everywhere at once.
    void ColoursChanged();
    int Scaled(int pixels) const { return MulDiv(pixels, int(dpi_), USER_DEFAULT_SCREEN_DPI); }
    // Labels keep their left and top and grow to fit their text, never narrower than laid out.
    void FitWidth(std::size_t index);

    std::unique_ptr<TScene> scene_;
    TInput input_{*scene_, kPaneSize, kPaneSize};
    TTick tick_;  // readouts with the user's separator, read again when the regional settings change
    HWND hwnd_ = nullptr;
    UINT dpi_ = USER_DEFAULT_SCREEN_DPI;
    TLook look_;
    std::array<HICON, 2> icons_{};  // ICON_SMALL and ICON_BIG at the window's DPI
    HWND focus_ = nullptr;          // the control that had the keyboard when the window last lost it
    bool maximised_ = false;
    TAccessibility access_;
    TEditAnnouncer announcer_;  // what screen readers are told when an edit ends

    std::array<HWND, kControlCount> controls_{};        // by the table's order
    std::array<std::unique_ptr<TImagePane>, 4> panes_;  // by TPaneId
    TImagePane* EkranXY = nullptr;
    TImagePane* EkranYZ = nullptr;
    TImagePane* EkranXZ = nullptr;
    TImagePane* Ekran3B = nullptr;
    TToolGroup tools_;
    HWND BPrizma = nullptr;
    HWND BKamera = nullptr;
    HWND BOdak = nullptr;
    HWND BSonPrizma = nullptr;
    HWND tooltip_ = nullptr;
    std::array<std::size_t, kReadouts> readouts_{};  // Label1..Label16 as indexes into controls_
    TSaat Saat;
};
