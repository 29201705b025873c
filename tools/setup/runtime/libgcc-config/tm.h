#ifndef GCC_TM_H
#define GCC_TM_H
#ifdef IN_GCC
# define FIRST_PSEUDO_REG 76
# include "config/vxworks-dummy.h"
# include "config/i386/i386.h"
# include "config/i386/unix.h"
# include "config/i386/bsd.h"
# include "config/i386/gas.h"
# include "config/dbxcoff.h"
# include "config/i386/cygming.h"
# include "config/i386/mingw32.h"
# include "config/i386/mingw-w64.h"
# include "config/initfini-array.h"
#endif
#include "defaults.h"
#endif
