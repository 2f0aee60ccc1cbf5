# Configuration Manager's detection script for the Sample Tag Pack (deployment type, Detection
# Method: Use a custom script to detect the presence of this deployment type; PowerShell).
# Configuration Manager reads exit 0 with standard output as installed, exit 0 with no output at
# all as not installed, and any other exit code, or error output without standard output, as a
# failed detection. tarnwick-cli status exits 1 for "not installed, or not as installed", with each
# difference on standard error: that one case becomes exit 0 with nothing written. Its 0 passes on
# with its line; 1619 and 1639 (the kept package or answers cannot be used) stay failures.
$TarnwickRoot = Join-Path $env:ProgramData 'Tarnwick'
$TarnwickStage = Join-Path $env:ProgramData 'Tarnwick\SampleTagPack'
if (-not (Test-Path -LiteralPath "$TarnwickStage\tarnwick-cli.exe" -PathType Leaf)) { exit 0 }
# Runs nothing from a folder that install.ps1 did not make: owned by SYSTEM or Administrators,
# granting no one else, inheriting nothing (standard users may create folders in %ProgramData%).
$trusted = 'S-1-5-18', 'S-1-5-32-544'
$sid = [Security.Principal.SecurityIdentifier]
$acl = Get-Acl -LiteralPath $TarnwickRoot -ErrorAction SilentlyContinue
if (-not $acl -or -not $acl.AreAccessRulesProtected -or $acl.GetOwner($sid).Value -notin $trusted -or
    @($acl.GetAccessRules($true, $true, $sid) | Where-Object { $_.IdentityReference.Value -notin $trusted }).Count) {
    exit 1
}
& "$TarnwickStage\tarnwick-cli.exe" status --package "$TarnwickStage\package" --answers "$TarnwickStage\answers.ini" 2>$null
if ($LASTEXITCODE -eq 1) { exit 0 }
exit $LASTEXITCODE
