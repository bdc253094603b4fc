#include "sim/world/portable_math.h"

namespace sim {

namespace {

constexpr double Pi = 3.14159265358979323846;
constexpr double HalfPiHigh = 1.57079632673412561417e+00; // the first 33 bits of pi/2
constexpr double HalfPiLow = 6.07710050650619224932e-11;  // pi/2 minus that
constexpr double TwoOverPi = 6.36619772367581382433e-01;
constexpr double TanPiOver8 = 0.41421356237309504880;

double absolute(double x) {
    return x < 0.0 ? -x : x;
}

// Rounds to the nearest whole number, halves away from zero.
double nearest(double x) {
    double shifted = x < 0.0 ? x - 0.5 : x + 0.5;
    return static_cast<double>(static_cast<long long>(shifted));
}

// Taylor series, good to well below a double's last bit for |r| <= pi/4.
double sinSeries(double r) {
    double r2 = r * r;
    double sum = 1.0;
    for (int n = 17; n >= 3; n -= 2) {
        sum = 1.0 - r2 / static_cast<double>(n * (n - 1)) * sum;
    }
    return r * sum;
}

double cosSeries(double r) {
    double r2 = r * r;
    double sum = 1.0;
    for (int n = 18; n >= 2; n -= 2) {
        sum = 1.0 - r2 / static_cast<double>(n * (n - 1)) * sum;
    }
    return sum;
}

// Splits x into a quarter turn count and a remainder in [-pi/4, pi/4].
double reduce(double x, long long& quarter) {
    double k = nearest(x * TwoOverPi);
    quarter = static_cast<long long>(k) & 3;
    return (x - k * HalfPiHigh) - k * HalfPiLow;
}

// atan for 0 <= u <= tan(pi/8).
double atanSeries(double u) {
    double u2 = u * u;
    double sum = 0.0;
    for (int n = 41; n >= 1; n -= 2) {
        sum = 1.0 / static_cast<double>(n) - u2 * sum;
    }
    return u * sum;
}

double atanOf(double t) {
    bool negative = t < 0.0;
    t = absolute(t);
    bool inverted = t > 1.0;
    if (inverted) {
        t = 1.0 / t;
    }
    double angle = t > TanPiOver8 ? Pi / 4 + atanSeries((t - 1.0) / (t + 1.0)) : atanSeries(t);
    if (inverted) {
        angle = Pi / 2 - angle;
    }
    return negative ? -angle : angle;
}

} // namespace

double portableSin(double radians) {
    long long quarter = 0;
    double r = reduce(radians, quarter);
    switch (quarter) {
    case 0:
        return sinSeries(r);
    case 1:
        return cosSeries(r);
    case 2:
        return -sinSeries(r);
    default:
        return -cosSeries(r);
    }
}

double portableCos(double radians) {
    long long quarter = 0;
    double r = reduce(radians, quarter);
    switch (quarter) {
    case 0:
        return cosSeries(r);
    case 1:
        return -sinSeries(r);
    case 2:
        return -cosSeries(r);
    default:
        return sinSeries(r);
    }
}

double portableAtan2(double y, double x) {
    if (x > 0.0) {
        return atanOf(y / x);
    }
    if (x < 0.0) {
        return atanOf(y / x) + (y < 0.0 ? -Pi : Pi);
    }
    return y > 0.0 ? Pi / 2 : (y < 0.0 ? -Pi / 2 : 0.0);
}

} // namespace sim
