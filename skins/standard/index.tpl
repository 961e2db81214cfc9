<!DOCTYPE html>
<html lang="de">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<meta name="color-scheme" content="light dark">
<title>%HTML:GALERIETITEL%[VTL] CONDITION(ISFIRSTPATTERNPAGE=FALSE) – Seite %PATTERN_INDEX% von %NUM_PATTERNPAGES%[VTL] END CONDITION</title>
<meta name="description" content="%HTML:GALERIETITEL%: %NUM_RECORDS% Bilder">
<link rel="icon" href="data:,">
<link rel="stylesheet" href="files/standard.css">
<style>:root { --akzent: %AKZENTFARBE%; }</style>
<script src="files/standard.js" defer></script>
</head>
<body>
<header class="kopf">
<h1>%HTML:GALERIETITEL%</h1>
<p>[VTL] CONDITION(DoesExist(%UNTERTITEL%))%HTML:UNTERTITEL% · [VTL] END CONDITION%NUM_RECORDS% Bilder[VTL] CONDITION(DoesExist(%PREVIOUS_INDEX%%NEXT_INDEX%)) · Seite %PATTERN_INDEX% von %NUM_PATTERNPAGES%[VTL] END CONDITION</p>
</header>
<main>
<ul class="raster">
<!--[VTL] NEWSECTION NAME:bild NUMREPEAT:%BILDERPROSEITE% -->
<li class="[VTL] CONDITION(ISFIRSTIMAGE)erstes [VTL] END CONDITION[VTL] CONDITION(ISPORTRAIT)hoch[VTL] END CONDITION[VTL] CONDITION(ISLANDSCAPE)quer[VTL] END CONDITION"><a href="%URL:SEITE%"><picture><source type="image/avif" srcset="%URL:THUMB_AVIF% %THUMB:WIDTH%w, %URL:THUMB15X_AVIF% %THUMB15X:WIDTH%w, %URL:THUMB2X_AVIF% %THUMB2X:WIDTH%w[VTL] CONDITION(ISFIRSTIMAGE), %URL:GROSS_AVIF% %GROSS:WIDTH%w, %URL:GROSS15X_AVIF% %GROSS15X:WIDTH%w, %URL:GROSS2X_AVIF% %GROSS2X:WIDTH%w[VTL] END CONDITION" sizes="[VTL] CONDITION(ISFIRSTIMAGE)(max-width: 511px) calc(100vw - 2rem), (max-width: 839px) calc((67vw - 1.4rem) * max(1, %THUMB:WIDTH% / %THUMB:HEIGHT%)), (max-width: 839px) calc(67vw - 1.4rem), calc(400px * max(1, %THUMB:WIDTH% / %THUMB:HEIGHT%)), 400px[VTL] END CONDITION[VTL] CONDITION(ISFIRSTIMAGE=FALSE)(max-width: 640px) calc(50vw - 1.4rem), (max-width: 1000px) 31vw, 240px[VTL] END CONDITION"><img src="%URL:THUMB%" srcset="%URL:THUMB% %THUMB:WIDTH%w, %URL:THUMB15X% %THUMB15X:WIDTH%w, %URL:THUMB2X% %THUMB2X:WIDTH%w[VTL] CONDITION(ISFIRSTIMAGE), %URL:GROSS% %GROSS:WIDTH%w, %URL:GROSS15X% %GROSS15X:WIDTH%w, %URL:GROSS2X% %GROSS2X:WIDTH%w[VTL] END CONDITION" sizes="[VTL] CONDITION(ISFIRSTIMAGE)(max-width: 511px) calc(100vw - 2rem), (max-width: 839px) calc((67vw - 1.4rem) * max(1, %THUMB:WIDTH% / %THUMB:HEIGHT%)), (max-width: 839px) calc(67vw - 1.4rem), calc(400px * max(1, %THUMB:WIDTH% / %THUMB:HEIGHT%)), 400px[VTL] END CONDITION[VTL] CONDITION(ISFIRSTIMAGE=FALSE)(max-width: 640px) calc(50vw - 1.4rem), (max-width: 1000px) 31vw, 240px[VTL] END CONDITION" width="%THUMB:WIDTH%" height="%THUMB:HEIGHT%" alt="[VTL] CONDITION(DoesExist(%Titel%))%HTML:Titel%[VTL] END CONDITION[VTL] CONDITION(DoesExist(%Titel%)=FALSE)%META:TITLE%[VTL] END CONDITION[VTL] CONDITION(DoesExist(%Titel%%META:TITLE%)=FALSE)Bild %IMG_NUMBER%: %HTML:FNAME_NO_PATH%[VTL] END CONDITION"[VTL] CONDITION(ISFIRSTIMAGE) fetchpriority="high" style="--w: %THUMB:WIDTH%; --h: %THUMB:HEIGHT%"[VTL] END CONDITION[VTL] CONDITION(ISFIRSTIMAGE=FALSE) loading="lazy"[VTL] END CONDITION decoding="async"></picture></a>[VTL] CONDITION(DoesExist(%Titel%%META:TITLE%))<span class="titel">[VTL] END CONDITION[VTL] CONDITION(DoesExist(%Titel%))%HTML:Titel%[VTL] END CONDITION[VTL] CONDITION(DoesExist(%Titel%)=FALSE)%META:TITLE%[VTL] END CONDITION[VTL] CONDITION(DoesExist(%Titel%%META:TITLE%))</span>[VTL] END CONDITION</li>
<!--[VTL] ENDSECTION -->
</ul>
</main>
<nav class="blaettern" aria-label="Seiten der Übersicht">
[VTL] CONDITION(ISFIRSTPATTERNPAGE=FALSE)<a class="knopf" rel="prev" href="%URL:PREVIOUS_INDEX%" data-taste="ArrowLeft">← Vorige Seite</a>[VTL] END CONDITION
<a class="knopf" href="%URL:FIRST_SEITE%">Bilder einzeln ansehen</a>
[VTL] CONDITION(ISLASTPATTERNPAGE=FALSE)<a class="knopf" rel="next" href="%URL:NEXT_INDEX%" data-taste="ArrowRight">Nächste Seite →</a>[VTL] END CONDITION
</nav>
<footer class="fuss"><p>Erstellt mit Vistrel</p></footer>
</body>
</html>
