#include "app/report/exit_codes.h"
