/* The public header alone must compile (and its layout assertions hold) on every target it is built for. */
#include "orvend/orvend.h"

int orvend_header_only(void);
int orvend_header_only(void) { return (int)sizeof(OrvendBreakpoint); }
