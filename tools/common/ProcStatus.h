#pragma once

// A figure of this process from /proc/self/status in kB, e.g. "VmHWM" for
// the peak resident size; -1 when the field is not there.
long ProcStatusKiB(const char* field);
