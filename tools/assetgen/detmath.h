// Elementary functions built only from IEEE-754 +, -, *, / and sqrt, so the
// generator's pictures and sounds come out byte-identical on every machine and
// every C library (libm's sin and exp may differ in the last bit between
// versions, and one bit can flip a rounded pixel or sample).
#pragma once

#include <cmath>
#include <cstdint>

namespace vtl::det {

constexpr double kPi = 3.14159265358979323846;
constexpr double kTwoPi = 2.0 * kPi;

// sin and cos on [-pi/4, pi/4] by their Taylor series; the terms left out are
// below 1e-16 there.
inline double SinKernel(double x) {
    const double x2 = x * x;
    return x * (1.0 +
                x2 * (-1.0 / 6 +
                      x2 * (1.0 / 120 + x2 * (-1.0 / 5040 + x2 * (1.0 / 362880 + x2 * (-1.0 / 39916800 +
                                                                                       x2 * (1.0 / 6227020800.0)))))));
}
inline double CosKernel(double x) {
    const double x2 = x * x;
    return 1.0 +
           x2 * (-0.5 + x2 * (1.0 / 24 + x2 * (-1.0 / 720 +
                                               x2 * (1.0 / 40320 + x2 * (-1.0 / 3628800 + x2 * (1.0 / 479001600.0))))));
}

// Reduces x to r in [-pi/4, pi/4] with x = r + q * pi/2 (q mod 4 returned). The
// generator only uses arguments of a few thousand radians at most, where this
// simple reduction keeps about 1e-12 of accuracy, far more than 16-bit audio needs.
inline int ReduceQuadrant(double x, double& r) {
    const double q = std::floor(x / (kPi / 2) + 0.5);
    r = x - q * (kPi / 2);
    return static_cast<int>(static_cast<std::int64_t>(q) & 3);
}

inline double Sin(double x) {
    double r = 0;
    switch (ReduceQuadrant(x, r)) {
        case 0: return SinKernel(r);
        case 1: return CosKernel(r);
        case 2: return -SinKernel(r);
        default: return -CosKernel(r);
    }
}

inline double Cos(double x) {
    double r = 0;
    switch (ReduceQuadrant(x, r)) {
        case 0: return CosKernel(r);
        case 1: return -SinKernel(r);
        case 2: return -CosKernel(r);
        default: return SinKernel(r);
    }
}

// e^x: x = k ln2 + r with |r| <= ln2/2, a Taylor series for e^r, then an exact
// scaling by 2^k.
inline double Exp(double x) {
    if (x < -700) return 0.0;
    if (x > 700) x = 700;
    constexpr double kLn2 = 0.69314718055994530942;
    const double k = std::floor(x / kLn2 + 0.5);
    const double r = x - k * kLn2;
    double term = 1.0, sum = 1.0;
    for (int n = 1; n <= 18; ++n) {
        term = term * r / n;
        sum += term;
    }
    return std::ldexp(sum, static_cast<int>(k));
}

// Natural logarithm for x > 0: x = m 2^e exactly, then ln m by the series of
// atanh((m - 1) / (m + 1)).
inline double Log(double x) {
    if (!(x > 0)) return -745.0;
    int e = 0;
    double m = std::frexp(x, &e);  // m in [0.5, 1)
    if (m < 0.70710678118654752) {
        m *= 2;
        e -= 1;
    }
    const double s = (m - 1) / (m + 1), s2 = s * s;
    double term = s, sum = 0;
    for (int n = 1; n <= 41; n += 2) {
        sum += term / n;
        term *= s2;
    }
    return 2 * sum + e * 0.69314718055994530942;
}

inline double Pow(double base, double exponent) { return Exp(exponent * Log(base)); }

inline double Clamp(double v, double lo, double hi) { return v < lo ? lo : (v > hi ? hi : v); }

inline double SmoothStep(double e0, double e1, double x) {
    const double t = Clamp((x - e0) / (e1 - e0), 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

inline double Mix(double a, double b, double t) { return a + (b - a) * t; }

}  // namespace vtl::det
