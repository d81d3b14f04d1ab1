#pragma once

// The four sound patterns, each run on a detached thread of its own
// (_beginthread, default stack, null argument) so nothing ever waits for a
// sound. The argument is ignored.
void playFirstData(void*);
void playAlarm1(void*);
void playAlarm2(void*);
void playAlarm4(void*);
// The warning sound alone: an average-speed section's average went over its limit.
void playWarning(void*);
