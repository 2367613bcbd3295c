#pragma once

// Window-pixel drawing (x 0..800 left to right, y 0..600 top to bottom)
// over the 3D scene: pushes both matrices and leaves GL_MODELVIEW current
// with the origin moved to (x, y).
void PushScreenSpace(double x, double y);
// Restores both matrices; GL_MODELVIEW stays current.
void PopScreenSpace();
