<!DOCTYPE html>
<html lang="de">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>%GALERIETITEL% - %FNAME_NO_PATH%</title>
<link rel="stylesheet" href="files/stil.css">
<style>body { background-color: %HINTERGRUND%; }</style>
</head>
<body>
<header>
<h1><!--[VTL] CONDITION(DoesExist(%Titel%))-->%Titel%<!--[VTL] END CONDITION--><!--[VTL] CONDITION(DoesExist(%Titel%)=FALSE)-->%FNAME_NO_PATH%<!--[VTL] END CONDITION--></h1>
<nav><!--[VTL] CONDITION(ISFIRSTIMAGE=FALSE)--><a href="%PREVIOUSRECORD_DETAIL%">&larr; voriges Bild</a> &middot; <!--[VTL] END CONDITION--><a href="%INDEX%">Übersicht</a><!--[VTL] CONDITION(ISLASTIMAGE=FALSE)--> &middot; <a href="%NEXTRECORD_DETAIL%">nächstes Bild &rarr;</a><!--[VTL] END CONDITION--></nav>
</header>
<p class="bild"><!--[VTL] CONDITION(ISLASTIMAGE=FALSE)--><a href="%NEXTRECORD_DETAIL%"><!--[VTL] END CONDITION--><img src="%BIG%" alt="%FNAME_NO_PATH%"><!--[VTL] CONDITION(ISLASTIMAGE=FALSE)--></a><!--[VTL] END CONDITION--></p>
<table class="daten">
<!--[VTL] CONDITION(DoesExist(%JPGMETA:ImageDescription%))--><tr><th>Beschreibung</th><td>%JPGMETA:ImageDescription%</td></tr><!--[VTL] END CONDITION-->
<!--[VTL] CONDITION(DoesExist(%JPGMETA:ExifDTOrig%))--><tr><th>Aufgenommen</th><td>%JPGMETA:ExifDTOrig%</td></tr><!--[VTL] END CONDITION-->
<!--[VTL] CONDITION(DoesExist(%JPGMETA:EquipModel%))--><tr><th>Kamera</th><td>%JPGMETA:EquipMake% %JPGMETA:EquipModel%</td></tr><!--[VTL] END CONDITION-->
<!--[VTL] CONDITION(DoesExist(%JPGMETA:ExifExposureTime%))--><tr><th>Belichtungszeit</th><td>%JPGMETA:ExifExposureTime% s</td></tr><!--[VTL] END CONDITION-->
<!--[VTL] CONDITION(DoesExist(%JPGMETA:ExifFNumber%))--><tr><th>Blende</th><td>%JPGMETA:ExifFNumber%</td></tr><!--[VTL] END CONDITION-->
<!--[VTL] CONDITION(DoesExist(%JPGMETA:ExifISOSpeed%))--><tr><th>ISO</th><td>%JPGMETA:ExifISOSpeed%</td></tr><!--[VTL] END CONDITION-->
<tr><th>Größe</th><td>%JPGMETA:Width% &times; %JPGMETA:Height% Pixel</td></tr>
</table>
<footer>%NUM_RECORDS% Bilder &middot; erstellt mit Vistrel</footer>
</body>
</html>
