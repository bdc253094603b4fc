// Sine, cosine and arc tangent computed with the basic operations of IEEE
// arithmetic only, so that the world answers the same bits on every build:
// the C runtimes of Linux and Windows differ in the last bit of their own
// sinf, cosf and atan2f, which made the Linux and Wine runs of one scenario
// drift apart.
#pragma once

namespace sim {

double portableSin(double radians);
double portableCos(double radians);
double portableAtan2(double y, double x);

} // namespace sim
