#pragma once
#include "support/ProgramFolder.h"
