#include "system/registry.hpp"
