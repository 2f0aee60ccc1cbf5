<!--- cfx_sample.cfm, from the Sample Tag Pack.
      A CFML custom tag around the pack's Java tag: it greets a visitor by name.
      Call it from any page as <CF_CFX_SAMPLE NAME="Ada">. --->
<cfparam name="Attributes.Name" default="visitor">
<cfx_SampleJava name="#Attributes.Name#">
<cfoutput><p class="sample-greeting">#SampleGreeting#</p></cfoutput>
