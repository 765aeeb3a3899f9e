#pragma once
// Where the main window stands: placed as the settings file says (the
// frame's corner and the inside's size) but kept on the screens, the frame
// moved where it was asked once the window manager has framed the window,
// and the place last loaded or saved, so that closing an untouched window
// saves nothing.

#include "settings/settingsstore.h"

#include <QPoint>
#include <optional>

class QWidget;

namespace glyphon {

class WindowPlacer
{
public:
    explicit WindowPlacer(QWidget *window);

    // Where the window is now and how large.
    WindowPlacement current() const;
    const WindowPlacement &saved() const { return m_saved; }
    void setSaved(const WindowPlacement &placement) { m_saved = placement; }

    // Places the window as loaded. What it really got counts as saved (the
    // board's minimum size may have won); a place that had to be brought
    // onto the screens does not, so the next close saves it corrected.
    void apply(const WindowPlacement &placement);
    // False when the place or size had to be brought onto the screens.
    bool place(const WindowPlacement &placement);
    // The window moved (its frame may have come meanwhile).
    void moved();
    // What closing should save: nothing when the window stayed where it was
    // loaded or saved; else its place, fitted to its screen.
    std::optional<WindowPlacement> toSaveOnClose() const;

private:
    static constexpr int FrameWaitStepMs = 50;
    static constexpr int FrameWaitTries = 60; // three seconds
    void watchForFrame(int triesLeft);

    QWidget *m_window;
    WindowPlacement m_saved;
    std::optional<QPoint> m_frameCornerWanted; // placed before the window manager framed the window
};

} // namespace glyphon
