#pragma once
// Rows both lobby stores must answer alike, the in-memory one and the one in
// Redis: a secret that is not the game's own changes nothing, and the list's
// tag changes exactly when what is listed does. Each test declares the rows
// in its _data function and runs the row on a store of its kind.

#include "lobby/lobbystorage.h"

namespace glyphon::test {

void secretRows();
void checkSecretRow(LobbyStorage &store);

void tagRows();
// clockDriven: the store's times are the ones handed in (the Redis store
// keeps Redis's own, so its rows that need time to pass are skipped).
void checkTagRow(LobbyStorage &store, bool clockDriven);

} // namespace glyphon::test
