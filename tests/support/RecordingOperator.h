#pragma once
#include "support/Fakes.h"
