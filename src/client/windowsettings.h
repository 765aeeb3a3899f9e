#pragma once
// WindowSettings: the main window's settings file and its place on screen.
// Loading hands the stored choices to the window's controls and to the own
// server; saving writes the window's current choices with where it stands.

#include "client/windowplacer.h"
#include "settings/placeclaim.h"
#include "settings/settingsstore.h"

class GlyphonContext;
class Tchat;

namespace glyphon {

class WindowSettings
{
public:
    WindowSettings(Tchat &window, GlyphonContext &context);

    // The settings file (the lobby and the phrases keep their keys there).
    SettingsStore &store() { return m_store; }

    // Reads the file and applies it; from then on saving is allowed.
    void load();
    // Saves the choices with the window where it stands now.
    void save() { save(m_placer.current()); }
    // The window has closed: saves only when it moved since it was placed.
    void saveOnClose();

    // The window moved (its frame may have come meanwhile).
    void moved() { m_placer.moved(); }
    // Back to the default place and size.
    void resetPlacement();
    // The size to start with, before the file is read.
    QSize startingSize() const;

private:
    void save(const WindowPlacement &where);

    Tchat &m_window;
    GlyphonContext &m_context;
    SettingsStore m_store;
    WindowPlacer m_placer;
    PlaceClaim m_placeClaim; // another copy running: this one stands aside
    // Saving waits for the first load: until then the window runs on its own
    // starting values, which must not overwrite the user's file.
    bool m_loaded = false;
};

} // namespace glyphon
