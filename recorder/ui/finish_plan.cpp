// The decisions of finishing a recording (see finish_plan.h). UI thread only.
#include "ui/finish_plan.h"

#include "audio/merge_result.h"

namespace korvane {

FinishOutcome FinishAfterMerge(int mergeResult, const FinishPaths& paths, FinishFileOps& ops)
{
    FinishOutcome outcome;
    switch (mergeResult) {
    case Merged:
        if (!ops.Copy(paths.mergedAvi, paths.save)) {
            outcome.keptInScratch = paths.mergedAvi;
            return outcome;
        }
        ops.Delete(paths.tempAvi);
        ops.Delete(paths.tempWav);
        ops.Delete(paths.mergedAvi);
        break;
    case VideoNotOpened:
    case FirstStreamNotVideo:
        // No usable video, but the sound may still be the only copy of what was
        // recorded: it is saved beside the chosen name before anything goes.
        ops.Delete(paths.mergedAvi);
        if (!ops.Copy(paths.tempWav, paths.save + ".wav")) {
            outcome.keptInScratch = paths.tempWav;
            return outcome;
        }
        ops.Delete(paths.tempAvi);
        ops.Delete(paths.tempWav);
        break;
    case AudioNotOpened:
    case SecondStreamNotAudio:
        if (!ops.Copy(paths.tempAvi, paths.save)) {
            outcome.keptInScratch = paths.tempAvi;
            return outcome;
        }
        ops.Delete(paths.tempAvi);
        ops.Delete(paths.tempWav);
        ops.Delete(paths.mergedAvi);
        break;
    case SaveFailed:
        if (!ops.Copy(paths.tempAvi, paths.save)) {
            outcome.keptInScratch = paths.tempAvi;
            return outcome;
        }
        ops.Delete(paths.tempAvi);
        if (!ops.Copy(paths.tempWav, paths.save + ".wav")) {
            outcome.keptInScratch = paths.tempWav;
            return outcome;
        }
        ops.Delete(paths.tempWav);
        ops.Delete(paths.mergedAvi);
        break;
    default:
        break;
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
