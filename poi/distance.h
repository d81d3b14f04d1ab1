#pragma once

// Great-circle distance in km by the spherical law of cosines, from one
// position to many: the position's sine and cosine are computed once.
// Angles in decimal degrees.
class DistanceFrom {
public:
    DistanceFrom(double length1, double wide1);
    double to(double length2, double wide2) const;

private:
    double length1Rad;
    double sinWide1;
    double cosWide1;
};

// The same from one position to one other.
double greatCircleDistance(double length1, double length2, double wide1, double wide2);
