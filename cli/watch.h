// ktq51-flash --watch: the edit, build, program loop of a lesson.
#pragma once

#include "options.h"

// Programs the file now, then each time it is rebuilt, by the rule the
// window follows a file by (RebuiltFile), until Ctrl+C ends the process.
// The question is asked once; a file that cannot be sent is reported and
// skipped, and a failed transfer does not end the watch. Returns only when
// sending was not confirmed, or the report cannot be written.
int Watch(const Options& o);
