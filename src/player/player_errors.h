#pragma once

// The run-time error numbers the player raises itself.
namespace player_error {
// libmpv could not be started: the engine is missing.
inline constexpr int kEngineMissing = 429;
// The engine refused or could not play the file it was given.
inline constexpr int kEngineRefused = 440;
}  // namespace player_error
