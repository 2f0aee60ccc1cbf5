<!--- Calls the Java tag directly, and once more through the CFML custom tag. --->
<cfparam name="URL.name" default="visitor">
<cfx_SampleJava name="#URL.name#">
<cfoutput><p>#SampleGreeting#</p></cfoutput>
<cf_cfx_sample name="#URL.name#">
