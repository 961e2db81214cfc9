<!DOCTYPE html>
<html lang="de">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>%GALERIETITEL% - Seite %PATTERN_INDEX% von %NUM_PATTERNPAGES%</title>
<link rel="stylesheet" href="files/stil.css">
<style>body { background-color: %HINTERGRUND%; }</style>
</head>
<body>
<header>
<h1>%GALERIETITEL%</h1>
<nav><!--[VTL] CONDITION(ISFIRSTPATTERNPAGE=FALSE)--><a href="%PREVIOUS_INDEX%">&larr; zurück</a><!--[VTL] END CONDITION--> <span>Seite %PATTERN_INDEX% von %NUM_PATTERNPAGES%</span> <!--[VTL] CONDITION(ISLASTPATTERNPAGE=FALSE)--><a href="%NEXT_INDEX%">weiter &rarr;</a><!--[VTL] END CONDITION--></nav>
</header>
<table class="uebersicht">
<!--[VTL] NEWSECTION NAME:zeile NUMREPEAT:%ZEILEN% -->
<tr>
<!--[VTL] NEWSECTION NAME:bild NUMREPEAT:%SPALTEN% -->
<td><a href="%DETAIL%"><img src="%THUMB%" alt="%FNAME_NO_PATH%"></a><div class="unterschrift"><!--[VTL] CONDITION(DoesExist(%Titel%))-->%Titel%<!--[VTL] END CONDITION--><!--[VTL] CONDITION(DoesExist(%Titel%)=FALSE)-->%FNAME_NO_PATH%<!--[VTL] END CONDITION--></div></td>
<!--[VTL] ENDSECTION -->
</tr>
<!--[VTL] ENDSECTION -->
</table>
<footer>%NUM_RECORDS% Bilder &middot; erstellt mit Vistrel</footer>
</body>
</html>
