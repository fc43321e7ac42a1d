#pragma once

// What the projection of one corner needs besides the corner, as doubles; shared by the paths.
struct TSight {
    double cx = 0, cy = 0, cz = 0;      // camera
    double azimuth = 0, elevation = 0;  // line of sight, degrees
    double half = 0;                    // half the larger pane side, pixels (rounded down)
    double size = 0;                    // larger pane side, pixels
};

// Pane position (sx, sy) of the world point (x, y, z): ProjectPoint's arithmetic, one corner.
void ProjectSighted(const TSight& sight, double x, double y, double z, double& sx, double& sy);

// Projects the n points (x[i], y[i], z[i]) into (sx[i], sy[i]); n is a multiple of 4.
using TProjectKernel = void (*)(const TSight& sight, const double* x, const double* y, const double* z, int n,
                                double* sx, double* sy);

// The AVX2 kernel, or nullptr when this build is not for x86 or the CPU lacks AVX2 (checked once).
TProjectKernel Avx2ProjectKernel();
