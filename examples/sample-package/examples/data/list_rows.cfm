<!--- Reads the data source that Setup created for the pack. --->
<cfquery name="rows" datasource="Sample Tag Pack Data">
    SELECT id, title FROM samples ORDER BY id
</cfquery>
<cfoutput query="rows">
    <p>#id#: #title#</p>
</cfoutput>
