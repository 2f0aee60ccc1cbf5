<!--- lines.cfm, from the Plain Tag Pack.
      A CFML custom tag around CFX_PlainLines: it sets Caller.LineCount.
      Call it as <CF_LINES TEXT="#someText#">. --->
<cfparam name="Attributes.Text" default="">
<cfx_PlainLines text="#Attributes.Text#" result="count">
<cfset Caller.LineCount = count>
