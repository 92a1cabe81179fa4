#include "app/exit_codes.h"
