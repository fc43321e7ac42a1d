#pragma once

#include "scene/input.h"
#include "scene/scene.h"

#include <string>
#include <string_view>

// What an edit can change that a screen-reader user wants to hear: camera, focus and the last prism.
struct TEditState {
    TVec3 camera;
    TVec3 focus;
    int prismCount = 0;
    TPrism last;  // the last prism, zero when there is none
};

TEditState EditStateOf(const TScene& scene);

// The one sentence said when an edit ends, UTF-8, naming only what changed between the two states:
// "Kamera 50, 10, 0", "Odak 0, -20, 0", "Prizma 3" (added or reshaped), joined by "; ". Numbers are the
// readouts' text with the user's decimal separator. Empty when nothing changed (a scroll, a click on
// empty ground).
std::string EditAnnouncement(const TEditState& before, const TEditState& after, std::string_view decimalPoint = ".");

// The grid point under a plan view's keyboard pointer, as a click there would place it: "x 20, y 10" in the
// top view, "x 20, z 10" in the front view, "y 20, z 10" in the side view.
std::string PointerAnnouncement(const TScene& scene, TPlanView view, TPointerAt at,
                                std::string_view decimalPoint = ".");

// Keeps the scene as the last announcement left it, so that each one names what changed since.
class TEditAnnouncer {
public:
    // Starts from `scene` as it is.
    void Reset(const TScene& scene) { last_ = EditStateOf(scene); }
    // The announcement for the edit that just ended (empty: nothing to say).
    std::string Next(const TScene& scene, std::string_view decimalPoint)
    {
        const TEditState now = EditStateOf(scene);
        std::string said = EditAnnouncement(last_, now, decimalPoint);
        last_ = now;
        return said;
    }

    // What to say after an input event: what the edit that just ended changed, else, after a keyboard step,
    // the grid point under that view's keyboard pointer; empty when there is nothing to say.
    std::string AfterInput(TInput& input, const TScene& scene, std::string_view decimalPoint)
    {
        const bool edited = input.TakeEditEnded();
        const std::optional<TPlanView> stepped = input.TakeKeyboardStep();
        if (edited)
            return Next(scene, decimalPoint);
        return stepped ? PointerAnnouncement(scene, *stepped, input.KeyboardPointer(*stepped), decimalPoint) : "";
    }

private:
    TEditState last_;
};

// A readout as a screen reader says it: what it measures, then its value ("Kamera x, 50").
std::string SpokenReadout(std::string_view measures, std::string_view value);
