// Smooth 2D value noise and fractal sums from an integer hash: deterministic texture material.
#pragma once

#include <cstdint>

namespace assetgen {

// In [0, 1): a fixed function of the lattice point and the seed.
float LatticeValue(int x, int y, uint32_t seed);
// Smoothly interpolated lattice values, in [0, 1).
float ValueNoise(float x, float y, uint32_t seed);
// Sum of octaves (each twice the frequency, half the amplitude), normalised to [0, 1).
float Fbm(float x, float y, uint32_t seed, int octaves);
// Wrapping variant: the noise repeats every `period` lattice cells (period a power of two works best).
float TileableFbm(float x, float y, uint32_t seed, int octaves, int period);

}  // namespace assetgen
