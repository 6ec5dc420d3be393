// The three entry points an engine host calls (resolved with dlsym).
#pragma once

#define RADALT_EXPORT __attribute__((visibility("default")))

extern "C" {
// Builds the master control; null when it could not be built (see standard error).
RADALT_EXPORT void* createEngine();
// Runs the ORB on the calling thread until the host shuts it down.
RADALT_EXPORT void joinEngine();
// Deletes an engine createEngine returned; null does nothing. Returns 0.
RADALT_EXPORT int destroyEngine(void* engine);
}
