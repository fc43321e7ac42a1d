#pragma once

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

private:
    TEditState last_;
};

// A readout as a screen reader says it: what it measures, then its value ("Kamera x, 50").
std::string SpokenReadout(std::string_view measures, std::string_view value);
