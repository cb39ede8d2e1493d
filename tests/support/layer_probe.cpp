// Built with one library's include roots and nothing else; the header it reaches for comes from
// the test's table.
#include KD_PROBE_HEADER
