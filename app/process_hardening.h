// What the tool does first, before any library is loaded on demand: it runs with
// administrator rights in folders that other people prepared, so a DLL placed beside it or
// in the current folder must never be loaded.
#pragma once

// Restricts the DLL search path to the system folder (and the application's own folder is
// no longer searched, nor the current one). True when the system accepted it.
bool RestrictDllSearchPath();
