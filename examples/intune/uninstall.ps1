# The uninstall command of the Sample Tag Pack, for Intune and Configuration Manager alike:
#   powershell.exe -NoProfile -ExecutionPolicy Bypass -File .\uninstall.ps1
# Takes back, newest first, every install logged in %ProgramData%\Tarnwick\logs that no undo has
# taken back yet, each undo's log beside its install's. Exits 0 when everything was undone (and
# removes the copy install.ps1 kept, so that detection finds nothing); 1603 when something had
# changed since its install and was kept (the undo's log lists it); 1618 while another install or
# undo runs and 1639 for a log that cannot be used, both left to be taken back by the next run.
. (Join-Path $PSScriptRoot 'TarnwickApp.ps1')
try {
    if (-not (Test-Path -LiteralPath $TarnwickRoot)) { exit 0 } # nothing was installed here
    if (-not (Test-TarnwickRoot)) {
        throw "$TarnwickRoot can be changed by others than SYSTEM and Administrators: its logs are not used"
    }
    $pending = @(Get-TarnwickInstallLog | Where-Object { -not (Test-Path -LiteralPath $_.UndoPath) })
    [array]::Reverse($pending)
    $result = 0
    foreach ($install in $pending) {
        # The undo's log gets its name once the undo has run, so that one refused is tried again.
        $partial = $install.UndoPath + '.partial'
        & "$PSScriptRoot\tarnwick-cli.exe" undo --log $install.Path --log-out $partial
        $code = $LASTEXITCODE
        if ($code -ne 0 -and $code -ne 1603) {
            Remove-Item -LiteralPath $partial -Force -ErrorAction SilentlyContinue
            exit $code
        }
        Move-Item -LiteralPath $partial -Destination $install.UndoPath -Force -ErrorAction Stop
        if ($result -eq 0) { $result = $code }
    }
    if ($result -eq 0 -and (Test-Path -LiteralPath $TarnwickStage)) {
        Remove-Item -LiteralPath $TarnwickStage -Recurse -Force -ErrorAction Stop
    }
} catch {
    [Console]::Error.WriteLine("uninstall.ps1: $_")
    exit 1603
}
exit $result
