#pragma once
// The wizard's --fail-generation hands the page a time dimension that refuses every new member,
// so that the error report can be shown and photographed without a broken cube. It is the one
// the calendar tests use to fail a single member.

#include "support/refusing_dimension.hpp"

namespace annalex::wizard {

using annalex::testing::RefusingDimension;

}  // namespace annalex::wizard
