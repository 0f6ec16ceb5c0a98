#pragma once

// Priority of job threads. The seven levels are the job priorities the user picks from (0 idle,
// 1 lowest, 2 below normal, 3 normal, 4 above normal, 5 highest, 6 time critical).

namespace zarkent {

inline constexpr int kThreadPriorityLevels = 7;
inline constexpr int kThreadPriorityNormal = 3;

// Applies level `index` to the calling thread only. An index outside 0..6 is taken as normal. Raising
// a thread above normal may need privileges the process lacks; such a refusal is ignored and the
// thread keeps the priority it had.
void ApplyThreadPriority(int index) noexcept;

} // namespace zarkent
