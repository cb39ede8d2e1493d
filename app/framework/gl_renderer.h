// The legacy-GL drawing of CGLObjects: models from the registry as display lists with their
// textures and materials. Window thread, with the GL context current.
#pragma once

// Installs the renderer as the object renderer. Call once after every GL context is created,
// made current and noted (NoteGlContextCreated; a tool that skipped the note gets one here).
void InstallGlRenderer();
// Deletes the renderer's display lists and textures, forgets the GL objects of every model
// and uninstalls the renderer. Call while the context is still current, before destroying it.
void UninstallGlRenderer();
