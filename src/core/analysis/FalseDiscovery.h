// Many comparisons judged at once without a flood of false alarms: the
// two-sided p-value of Welch's t (Student's t distribution, by the
// regularised incomplete beta function), and the Benjamini-Hochberg step-up
// rule, which keeps the expected share of false discoveries among the
// changes it marks at most the rate given, however many comparisons there
// are (for independent or positively dependent tests; with every change
// absent, the chance of any mark at all is at most that rate). Pure; any
// thread.
#pragma once

#include <span>
#include <vector>

namespace torvik {

// The false discovery rate the trend's marks and --changes keep to.
inline constexpr double kFalseDiscoveryRate = 0.05;

// P(|T| >= |t|) for Student's t with `degreesOfFreedom` (> 0, need not be
// whole); 1 for a degrees of freedom that is not positive.
double TwoSidedPValue(double t, double degreesOfFreedom);

// Which of `pValues` are discoveries at false discovery rate `rate`: the
// k smallest, for the largest k whose k-th smallest p is at most k / m *
// rate (m: how many there are).
std::vector<bool> BenjaminiHochberg(std::span<const double> pValues, double rate = kFalseDiscoveryRate);

}  // namespace torvik
