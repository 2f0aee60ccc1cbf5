# Where install.ps1 and uninstall.ps1 keep the Sample Tag Pack on the machine, and whether that
# place can be trusted. Dot-sourced by both; the detection script repeats the trust test, as the
# product runs it on its own.
#
# The product deletes its copy of the content once an install ends, and runs the detection script
# from a folder of its own, so install.ps1 keeps the program, the package and the answers in
# %ProgramData%\Tarnwick\SampleTagPack for the detection, and every install's log in
# %ProgramData%\Tarnwick\logs for the uninstall. Both run as SYSTEM and act on what they find
# there: a log is a list of registry values and files that undo writes back or deletes, and a DLL
# beside the program would be loaded by it. Standard users may create folders in %ProgramData% and
# files in any folder made below it that keeps its inherited permissions, so %ProgramData%\Tarnwick
# is made with a DACL of its own (SYSTEM and Administrators, nothing inherited), and trusted only
# while it still has one: a folder a user made first is theirs, whatever is in it.

$TarnwickRoot = Join-Path $env:ProgramData 'Tarnwick'
$TarnwickStage = Join-Path $env:ProgramData 'Tarnwick\SampleTagPack'
$TarnwickLogs = Join-Path $env:ProgramData 'Tarnwick\logs'
$TarnwickBackup = Join-Path $env:ProgramData 'Tarnwick\backup\SampleTagPack'
$TarnwickTrusted = @('S-1-5-18', 'S-1-5-32-544') # SYSTEM, Administrators

# True when %ProgramData%\Tarnwick is a folder (not a link to one) that only SYSTEM and
# Administrators own and may use, inheriting nothing.
function Test-TarnwickRoot {
    $item = Get-Item -LiteralPath $TarnwickRoot -Force -ErrorAction SilentlyContinue
    if (-not $item -or -not $item.PSIsContainer) { return $false }
    if ($item.Attributes -band [IO.FileAttributes]::ReparsePoint) { return $false }
    $acl = Get-Acl -LiteralPath $TarnwickRoot -ErrorAction SilentlyContinue
    if (-not $acl -or -not $acl.AreAccessRulesProtected) { return $false }
    $sid = [Security.Principal.SecurityIdentifier]
    if ($acl.GetOwner($sid).Value -notin $TarnwickTrusted) { return $false }
    $others = @($acl.GetAccessRules($true, $true, $sid) |
        Where-Object { $_.IdentityReference.Value -notin $TarnwickTrusted })
    return $others.Count -eq 0
}

# Makes %ProgramData%\Tarnwick when it is not there; true when it is there and trusted.
function New-TarnwickRoot {
    if (-not (Test-Path -LiteralPath $TarnwickRoot)) {
        $security = New-Object Security.AccessControl.DirectorySecurity
        $security.SetAccessRuleProtection($true, $false)
        $grant = 'FullControl', 'ContainerInherit, ObjectInherit', 'None', 'Allow'
        foreach ($trusted in $TarnwickTrusted) {
            $who = New-Object Security.Principal.SecurityIdentifier -ArgumentList $trusted
            $rule = New-Object Security.AccessControl.FileSystemAccessRule -ArgumentList (@($who) + $grant)
            $security.AddAccessRule($rule)
        }
        # Made with its DACL in one call: a folder secured after it is made is open in between.
        # One that appeared meanwhile is kept as it is, and the test below refuses it.
        [void][IO.Directory]::CreateDirectory($TarnwickRoot, $security)
    }
    return Test-TarnwickRoot
}

# The install logs, oldest first: Number, Path and UndoPath (where the undo's log goes).
function Get-TarnwickInstallLog {
    if (-not (Test-Path -LiteralPath $TarnwickLogs)) { return }
    Get-ChildItem -LiteralPath $TarnwickLogs -File -ErrorAction Stop | ForEach-Object {
        if ($_.Name -match '^SampleTagPack-(\d{4,9})-install\.jsonl$') {
            [pscustomobject]@{
                Number = [int]$Matches[1]
                Path = $_.FullName
                UndoPath = Join-Path $TarnwickLogs ('SampleTagPack-{0}-undo.jsonl' -f $Matches[1])
            }
        }
    } | Sort-Object Number
}
