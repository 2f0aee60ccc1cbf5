<!--- The Sample Tag Pack's example pages. --->
<html>
<head><title>Sample Tag Pack</title></head>
<body>
<h1>Sample Tag Pack</h1>
<ul>
  <li><a href="tags/hello.cfm">Greet a visitor with CFX_SampleJava</a></li>
  <li><a href="tags/count_words.cfm">Count words with CFX_SampleNative</a></li>
  <li><a href="data/list_rows.cfm">Read the data source Sample Tag Pack Data</a></li>
</ul>
</body>
</html>
