#include "cli/log/CopyEvent.h"

JsonLine CopyEvent::Line() const
{
    JsonLine line = JsonLine::Event("file-copied", time);
    line.Add("from", from).Add("to", to).Add("bytes", bytes).Add("replaced", replaced);
    return line;
}
