#pragma once

#include "support/linkbench.h"

// The parameter tests' bench is the shared one.
using DriveBench = LinkBench;
