// The decisions of finishing a recording (see finish_plan.h). UI thread only.
#include "ui/finish_plan.h"

#include "audio/merge_result.h"

#include <initializer_list>

namespace korvane {

namespace {

// Copies `from` to `to`; when that fails, `from` is noted as the file that keeps the
// recording and nothing more may be deleted.
bool CopyOrKeep(FinishFileOps& ops, const std::string& from, const std::string& to,
                FinishOutcome& outcome)
{
    if (ops.Copy(from, to))
        return true;
    outcome.keptInScratch = from;
    return false;
}

void DeleteAll(FinishFileOps& ops, std::initializer_list<const std::string*> paths)
{
    for (const std::string* path : paths)
        ops.Delete(*path);
}

}  // namespace

FinishOutcome FinishAfterMerge(int mergeResult, const FinishPaths& paths, FinishFileOps& ops)
{
    FinishOutcome outcome;
    switch (mergeResult) {
    case Merged:
        if (!CopyOrKeep(ops, paths.mergedAvi, paths.save, outcome))
            return outcome;
        DeleteAll(ops, {&paths.tempAvi, &paths.tempWav, &paths.mergedAvi});
        break;
    case VideoNotOpened:
    case FirstStreamNotVideo:
        // No usable video, but the sound may still be the only copy of what was
        // recorded: it is saved beside the chosen name before anything goes.
        ops.Delete(paths.mergedAvi);
        if (!CopyOrKeep(ops, paths.tempWav, paths.save + ".wav", outcome))
            return outcome;
        DeleteAll(ops, {&paths.tempAvi, &paths.tempWav});
        break;
    case AudioNotOpened:
    case SecondStreamNotAudio:
        if (!CopyOrKeep(ops, paths.tempAvi, paths.save, outcome))
            return outcome;
        DeleteAll(ops, {&paths.tempAvi, &paths.tempWav, &paths.mergedAvi});
        break;
    case SaveFailed:
        if (!CopyOrKeep(ops, paths.tempAvi, paths.save, outcome))
            return outcome;
        ops.Delete(paths.tempAvi);
        if (!CopyOrKeep(ops, paths.tempWav, paths.save + ".wav", outcome))
            return outcome;
        DeleteAll(ops, {&paths.tempWav, &paths.mergedAvi});
        break;
    default: break;
    }
    outcome.startPlayer = true;
    return outcome;
}

bool FinishWithoutAudio(const FinishPaths& paths, FinishFileOps& ops)
{
    if (!ops.Copy(paths.tempAvi, paths.save))
        return false;
    ops.Delete(paths.tempAvi);
    return true;
}

std::string FolderOf(const std::string& path)
{
    const std::string::size_type slash = path.rfind('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string PlayerCommandLine(const std::string& exeFolder, const std::string& savePath)
{
    return exeFolder + "\\reelpane.exe " + savePath;
}

std::string KeptInScratchMessage(const std::string& keptPath)
{
    return "The recording could not be saved. It is kept in:\n" + keptPath;
}

}  // namespace korvane
