#pragma once
// The radii of the closed torus that make_mesh writes (around the Z axis,
// centred on the origin), known to the quality checks of bench/fit.
constexpr double kTorusMajor = 40.0;
constexpr double kTorusMinor = 12.0;
