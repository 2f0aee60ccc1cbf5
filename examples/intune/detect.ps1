# Intune's detection script for the Sample Tag Pack (Detection rules: Use a custom detection
# script). Intune counts the app as installed when the script exits 0 having written to standard
# output, and as not installed for any other exit code, which is how tarnwick-cli status answers:
# its output and exit code are passed on as they are.
$TarnwickRoot = Join-Path $env:ProgramData 'Tarnwick'
$TarnwickStage = Join-Path $env:ProgramData 'Tarnwick\SampleTagPack'
# Runs nothing from a folder that install.ps1 did not make: owned by SYSTEM or Administrators,
# granting no one else, inheriting nothing (standard users may create folders in %ProgramData%).
$trusted = 'S-1-5-18', 'S-1-5-32-544'
$sid = [Security.Principal.SecurityIdentifier]
$acl = Get-Acl -LiteralPath $TarnwickRoot -ErrorAction SilentlyContinue
if (-not $acl -or -not $acl.AreAccessRulesProtected -or $acl.GetOwner($sid).Value -notin $trusted -or
    @($acl.GetAccessRules($true, $true, $sid) | Where-Object { $_.IdentityReference.Value -notin $trusted }).Count -or
    -not (Test-Path -LiteralPath "$TarnwickStage\tarnwick-cli.exe" -PathType Leaf)) {
    exit 1
}
& "$TarnwickStage\tarnwick-cli.exe" status --package "$TarnwickStage\package" --answers "$TarnwickStage\answers.ini"
exit $LASTEXITCODE
