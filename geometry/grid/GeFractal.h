// Fractal height fields: diamond-square subdivision on a (size + 1)^2 array and the 1D
// midpoint-displacement fill. The random numbers come from a private generator reseeded by
// each fill, so a seed always yields the same values on every machine.
#pragma once

// (size + 1)^2 floats, row stride size + 1, from malloc (free with free); null on failure.
float* geAllocFractal2D(int size);
// size + 1 floats from malloc; null on failure.
float* geAllocFractal1D(int size);
// Diamond-square fill with corners 0; each pass scales the displacement by 2^-h. Prints
// "complete\n" on standard output when done. Nothing for a null array or a size below 1.
void geFractalFill2D(float* values, int size, int seed, float heightScale, float h);
// Midpoint displacement with ends 0; nothing unless size is a power of two above 1.
void geFractalFill1D(float* values, int size, int seed, float heightScale, float h);
// lo + (hi - lo) * r with r in [0, 1] from the generator.
float geFractalRand(float lo, float hi);
// 1 when exactly one of the 32 bits is set.
int geIsPowerOf2(int n);
