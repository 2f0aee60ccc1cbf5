<!--- Calls the native tag: it counts the words of a text. --->
<cfset text = "The quick brown fox jumps over the lazy dog">
<cfx_SampleNative text="#text#" result="words">
<cfoutput><p>"#text#" has #words# words.</p></cfoutput>
