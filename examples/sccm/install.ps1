# The install command of the Sample Tag Pack, for Intune and Configuration Manager alike:
#   powershell.exe -NoProfile -ExecutionPolicy Bypass -File .\install.ps1
# Copies tarnwick-cli.exe, the package and the answers from the content into
# %ProgramData%\Tarnwick\SampleTagPack (TarnwickApp.ps1 says why), and installs from there with a
# log of this install's own in %ProgramData%\Tarnwick\logs. Exits with tarnwick-cli's code; 1603
# when the copy cannot be made or the folder cannot be trusted, before anything is installed.
. (Join-Path $PSScriptRoot 'TarnwickApp.ps1')
try {
    if (-not (New-TarnwickRoot)) {
        throw "$TarnwickRoot can be changed by others than SYSTEM and Administrators: see who made it"
    }
    foreach ($folder in $TarnwickStage, $TarnwickLogs, $TarnwickBackup) {
        [void](New-Item -ItemType Directory -Force -Path $folder -ErrorAction Stop)
    }
    # The package the detection compares the machine with is the one installed, and nothing else.
    if (Test-Path -LiteralPath "$TarnwickStage\package") {
        Remove-Item -LiteralPath "$TarnwickStage\package" -Recurse -Force -ErrorAction Stop
    }
    Copy-Item -LiteralPath "$PSScriptRoot\package" -Destination "$TarnwickStage\package" -Recurse -ErrorAction Stop
    Copy-Item -LiteralPath "$PSScriptRoot\tarnwick-cli.exe", "$PSScriptRoot\answers.ini" -Destination $TarnwickStage -Force -ErrorAction Stop
    # Each install keeps its own log: an install run again over drift logs only what it changed
    # then, and the uninstall takes back every install since the last uninstall.
    $last = @(Get-TarnwickInstallLog) | Select-Object -Last 1
    $number = if ($last) { $last.Number + 1 } else { 1 }
    $log = Join-Path $TarnwickLogs ('SampleTagPack-{0:d4}-install.jsonl' -f $number)
    & "$TarnwickStage\tarnwick-cli.exe" install --package "$TarnwickStage\package" --answers "$TarnwickStage\answers.ini" --log $log --backup $TarnwickBackup --rollback
} catch {
    [Console]::Error.WriteLine("install.ps1: $_")
    exit 1603
}
exit $LASTEXITCODE
